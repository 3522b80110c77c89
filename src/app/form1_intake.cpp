#include "form1.h"

#include "apperror.h"
#include "dialogs.h"
#include "trap.h"

void Form1::PushButton1_Click()
{
}
