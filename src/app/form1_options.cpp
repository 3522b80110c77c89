#include "form1.h"

void Form1::Slider1_Change() {}

void Form1::Option1_Click() {}

void Form1::Option2_Click() {}

void Form1::Text1_Change() {}

void Form1::PushButton9_Click() {}
