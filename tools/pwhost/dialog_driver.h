// Driving the module's real connect dialog (Windows) as a user would, from a
// second thread, through window messages: choose a server in the combo box,
// type into a field, press a button. Used by pwhost select and the tests.
#ifndef CBQ_TOOLS_PWHOST_DIALOG_DRIVER_H
#define CBQ_TOOLS_PWHOST_DIALOG_DRIVER_H

#ifdef _WIN32
#include <windows.h>

#include <string>
#include <vector>

struct DriverStep {
    enum Kind { kChoose, kType, kPress } kind;
    int control;       // kType, kPress
    std::string text;  // kChoose, kType
};

// The connect dialog of thread (a window of class #32770 holding the combo
// box 1001), waited for up to timeoutMs; null when none appears.
HWND waitForConnectDialog(DWORD thread, DWORD timeoutMs);

// One step, as a user takes it: choosing selects the item with exactly
// this text, else the first one equal to it without regard to case (as the
// window model chooses), and tells the dialog (CBN_SELCHANGE); typing
// replaces an edit's text (WM_SETTEXT); pressing clicks a button (BM_CLICK).
// A step that a user could not take (not listed, disabled or hidden, more
// characters than the edit's limit) is refused: false and a note
// "refused: ..." as the window model words it. A message box that the step
// brings up is read into a note "message: CAPTION: TEXT" and closed with its
// OK button.
bool driveStep(HWND dialog, const DriverStep &step, std::vector<std::string> &notes);

// Closes every message box that the dialog owns, noting each as above.
void closeMessageBoxes(HWND dialog, std::vector<std::string> &notes);

#endif
#endif  // CBQ_TOOLS_PWHOST_DIALOG_DRIVER_H
