#pragma once
#include <QDialog>
#include <QTimer>

class QLabel;
class TMainForm;

// The splash window: shown while the settings, the layout and the goods table
// load, for at least three seconds, and closed 100 ms after a longer load.
class TSplashScreenForm : public QDialog {
    Q_OBJECT
public:
    explicit TSplashScreenForm(TMainForm* mainForm, QWidget* parent = nullptr);

    QLabel* Image1;
    QLabel* lbVersion;
    QLabel* Label1;
    QLabel* Label2;
    QTimer Timer1;
    bool TimeElapsed = false;
    bool LoadFinished = false;

    // Runs once when the window first appears: first-run preparation and the
    // loading step.
    void FormActivate();
    void Timer1Timer();
    void LoadFinishedHandler(TMainForm* sender);

protected:
    void showEvent(QShowEvent* event) override;
    // Escape does not end the splash: it closes only when the time is up
    // and the loading step has finished.
    void reject() override {}

private:
    TMainForm* MainForm;
    bool Activated = false;
};
