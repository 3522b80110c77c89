#include "form1.h"

void Form1::PushButton2_Click() {}
