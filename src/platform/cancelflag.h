#pragma once
#include <memory>

// A request to stop a long run (an update, a print job): the Cancel button of
// a progress dialog sets it, the run reads it between records. Copies share
// one state, so the window, its dialog and the command can each hold one.
class TCancelFlag {
public:
    void Request() { *State = true; }
    void Reset() { *State = false; }
    bool Requested() const { return *State; }

private:
    std::shared_ptr<bool> State = std::make_shared<bool>(false);
};
