#include "form1.h"

bool Form1::ListView1_OLEDragOver(const QMimeData*) const
{
    return false;
}

void Form1::ListView1_OLEDragDrop(const QMimeData*) {}
