#pragma once

#include "baranimation.h"
#include "bartext.h"
#include "conversionrun.h"
#include "form1.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>

// The window as a run sees it: the list, the options and the bar, read when each file starts.
class Form1::RunHost : public ConversionHost, public ProgressDisplay
{
public:
    explicit RunHost(Form1& form) : form_(form) {}

    int itemCount() const override { return form_.itemCount(); }
    QString itemText(int index) const override { return form_.itemText(index); }
    bool savesToFolder() const override { return form_.Option1->isChecked(); }
    QString folderText() const override { return form_.Text1->text(); }
    bool savesBesideSource() const override { return form_.Option2->isChecked(); }
    OutputChoice outputChoice() const override { return form_.outputChoice(); }
    int quality() const override { return form_.Slider1->value(); }

    ProgressDisplay& progress() override { return *this; }
    QString progressText() const override { return BarText(*form_.ProgressBar1); }
    int progressValue() const override { return form_.ProgressBar1->value(); }
    void setBusy(bool busy) override
    {
        form_.setMousePointer(busy ? MousePointer::kHourglass : MousePointer::kDefault);
    }

    void setText(const QString& text) override { SetBarText(*form_.ProgressBar1, text); }
    void setValue(int value) override { form_.ProgressBar1->setValue(value); }

private:
    Form1& form_;
};
