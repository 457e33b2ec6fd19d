#pragma once

#include <string>

class TForm1;

// Items an adding operation leaves out because their full path is too long
// to rename. Every adding operation opens a report; operations run inside
// another one (a dropped folder's contents) join it, and the outermost one
// shows every item left out in one message owned by the main window when it
// ends, so nothing is left out without a word and the user is asked once.
class TooLongReport {
public:
    explicit TooLongReport(TForm1* owner);
    ~TooLongReport();
    TooLongReport(const TooLongReport&) = delete;
    TooLongReport& operator=(const TooLongReport&) = delete;

    // Notes a path left out (within the report that is open).
    static void leaveOut(const std::string& path);

private:
    TForm1* owner_;
    bool outermost_;
};
