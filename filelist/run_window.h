#pragma once

#include <cstdint>

#include "session/rename_run.h"

class TForm1;

// The main window while a run of renames goes on: disabled as a whole (the
// options window stays usable), the gauge shown and rising by one step per
// entry, pending events processed whenever the run says a frame is due. The
// window is enabled and the gauge hidden again however the run ends.
class RunWindow : public kestrix::session::RunListener {
public:
    RunWindow(TForm1& form, std::int64_t entries);
    ~RunWindow() override;

protected:
    // One more entry done.
    void advance();
    void processEvents();
    // After the last entry: the window enabled, the gauge full, then hidden.
    void end();

    TForm1& form_;

private:
    void setGauge(int value);

    double step_;
    double sum_ = 0.0;
};
