#pragma once

#include "shell.h"

// A shell view that records what the shell asks of it, for the shell tests without windows.
class RecordingView : public vantelso::app::ShellView {
public:
    QStringList calls;
    vantelso::app::ShellCaptions captions;
    QList<vantelso::app::PortEntry> ports;
    int selected = -2;
    bool takeSelection = false; // the field shows the entry the shell selects, as the panel's
    QString port;
    QString status;
    bool statusProblem = false;
    bool ticked = false;
    std::pair<int, int> progress{-1, -1};
    QList<vantelso::app::ReconnectOffer> offers;

    void disableFactoryMenu() override { calls << QStringLiteral("factoryMenu"); }
    void setPortList(const QList<vantelso::app::PortEntry>& entries, int index) override {
        calls << QStringLiteral("portList");
        ports = entries;
        selected = index;
        if (takeSelection && index >= 0)
            port = entries[index].label;
    }
    void loadWindowsHidden() override { calls << QStringLiteral("load"); }
    void applyCaptions(const vantelso::app::ShellCaptions& c) override {
        calls << QStringLiteral("captions");
        captions = c;
    }
    void setButtonImages(bool) override { calls << QStringLiteral("images"); }
    void setProgress(int done, int total) override {
        if (progress.first < 0)
            calls << QStringLiteral("progress");
        progress = {done, total};
    }
    void placeWindows() override { calls << QStringLiteral("place"); }
    void showPanel() override { calls << QStringLiteral("show"); }
    QString portText() const override { return port; }
    void setPortSwitch(bool on) override { ticked = on; }
    void showStatus(const QString& text, bool problem) override {
        status = text;
        statusProblem = problem;
    }
    void showReconnect(vantelso::app::ReconnectOffer offer) override { offers << offer; }
    void toggleProgramWindow() override {}
};
