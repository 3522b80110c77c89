#include "form1.h"

void Form1::PushButton4_Click() {}
