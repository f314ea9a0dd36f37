#pragma once
// Stand-ins for the window's clock, message box and label in native tests.
#include <string>
#include <vector>

#include "widget/outside.h"

class FakeClock : public Clock {
public:
    double Seconds() override { return now; }
    double now = 0.0;
};

class RecordingMsgBox : public MsgBox {
public:
    void Show(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

class StringLabel : public TextLabel {
public:
    void SetCaption(const std::string& text) override { caption = text; }
    std::string caption;
};
