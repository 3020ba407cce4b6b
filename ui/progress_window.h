// The progress window frmMessage: a short message beside the program's icon, shown while the
// installer and the uninstaller work. One per program: ShowProgress shows it (or gives it a new
// message), CloseProgress unloads it.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <string>

namespace qx {

class ProgressWindow : public QWidget {
  Q_OBJECT
 public:
  ProgressWindow();

  // The message, the inner height it needs, and the icon and the message centred on that height.
  void SetMessage(const std::string& text);

  QLabel* imgMsg;
  QLabel* lblMsg;
};

// Shows the progress window with TEXT, caption the program's title, centred on the screen as the
// suite centres windows (the hourglass meanwhile), and painted before the call returns, so that
// the message shows while the caller works. A window already shown takes the new message.
void ShowProgress(const std::string& text);
// Unloads the progress window, if one is shown.
void CloseProgress();
// The progress window while one is shown.
ProgressWindow* ShownProgressWindow();

}  // namespace qx
