#include "form1.h"

void Form1::PushButton7_Click() {}
