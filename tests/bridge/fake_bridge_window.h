#pragma once
// The bridge window as its handlers see it, recording every change in order.
#include <functional>
#include <string>
#include <vector>

#include "bridge/main_form.h"

struct FakeBridgeWindow : MainForm::BridgeWindow {
    std::string caption = MainForm::CAPTION;
    std::vector<std::string> devList;
    std::string lblError, lblFPS = "FPS", connectCaption = MainForm::CONNECT_CAPTION;
    std::string valueCaptions[MainForm::CHANNELS];
    int faderValues[MainForm::CHANNELS];
    int valueWrites = 0;                          // captions written to lblChValue
    bool timer1Enabled = false;
    bool minimized = false;
    std::vector<std::string> changes;             // "what=text", in order
    std::function<void()> onDeliverWaitingMessages;  // what other windows do meanwhile

    FakeBridgeWindow() {
        for (int k = 0; k < MainForm::CHANNELS; ++k) {
            faderValues[k] = 255;
            valueCaptions[k] = std::to_string(k + 1);
        }
    }
    void SetCaption(const std::string& text) override { caption = text; changes.push_back("caption=" + text); }
    void ClearDevList() override { devList.clear(); changes.push_back("DevList cleared"); }
    void AddDevListLine(const std::string& text) override { devList.push_back(text); changes.push_back("DevList+" + text); }
    void SetErrorCaption(const std::string& text) override { lblError = text; changes.push_back("lblError=" + text); }
    void SetFpsCaption(const std::string& text) override { lblFPS = text; changes.push_back("lblFPS=" + text); }
    void SetChannelValueCaption(int k, const std::string& text) override {
        valueCaptions[k] = text;
        ++valueWrites;
    }
    void SetConnectCaption(const std::string& text) override { connectCaption = text; }
    int FaderValue(int k) override { return faderValues[k]; }
    bool Minimized() override { return minimized; }
    void EnableTimer1() override { timer1Enabled = true; changes.push_back("Timer1 enabled"); }
    void DeliverWaitingMessages() override {
        if (onDeliverWaitingMessages) onDeliverWaitingMessages();
    }
    void Sleep(unsigned) override {}
};
