#pragma once

#include "appstate.h"
#include "demodevice.h"
#include "scriptedprompter.h"
#include "shell.h"
#include "simdevice.h"

// A shell view that records what the shell asks of it, for the shell tests without windows,
// and a bench of shell, state and view.
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

// A shell, not yet started, with an in-process demo device when a model is given.
struct Bench {
    explicit Bench(const QString& model = {}) {
        QString why;
        if (!model.isEmpty() &&
            !(demo = vantelso::app::DemoDevice::create(model, &why, /*allowPty=*/false)))
            qFatal("%s", qPrintable(why));
        shell = std::make_unique<vantelso::app::Shell>(state, view, demo.get());
        if (demo)
            view.port = demo->port();
    }
    vantelso::sim::SimDevice& device() const { return *demo->device(); }

    std::unique_ptr<vantelso::app::DemoDevice> demo;
    vantelso::ScriptedPrompter prompter;
    vantelso::app::AppState state{&prompter};
    RecordingView view;
    std::unique_ptr<vantelso::app::Shell> shell;
};
