#pragma once
// Seams from the widget module to the rest of the bridge: its clock, the message box it reports
// send failures in, and the trace label it writes while parsing.
#include <string>

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds from an arbitrary fixed origin, never going backwards.
    virtual double Seconds() = 0;
};

class MsgBox {
public:
    virtual ~MsgBox() = default;
    // Modal, an OK button only, titled with the program's name.
    virtual void Show(const std::string& text) = 0;
};

class TextLabel {
public:
    virtual ~TextLabel() = default;
    virtual void SetCaption(const std::string& text) = 0;
};
