#pragma once

#include "baranimation.h"
#include "bartext.h"
#include "conversionrun.h"
#include "form1.h"

#include <QProgressBar>

// The window as a run sees it: the bar and the busy pointer.
class Form1::RunHost : public ConversionHost, public ProgressDisplay
{
public:
    explicit RunHost(Form1& form) : form_(form) {}

    ProgressDisplay& progress() override { return *this; }
    void setBusy(bool busy) override
    {
        form_.setMousePointer(busy ? MousePointer::kHourglass : MousePointer::kDefault);
    }

    void setText(const QString& text) override { SetBarText(*form_.ProgressBar1, text); }
    void setValue(int value) override { form_.ProgressBar1->setValue(value); }

private:
    Form1& form_;
};
