#pragma once

class QLabel;

namespace zt640 {

/// Tells the user about each damaged data file once per run, on the window's
/// status line: a label beside `status_line` (named "damaged_file_label", so
/// connection changes of the status line do not hide it) shows the text
/// "status_damaged_file_text" with the latest file's name and the name its
/// copy is kept under; its tool tip lists the full paths of every notice.
/// Notices may come from any thread and are shown on the UI thread; notices
/// raised before this call are shown too. A status line that is gone shows
/// nothing.
void ShowDamagedFilesOn(QLabel* status_line);

}  // namespace zt640
