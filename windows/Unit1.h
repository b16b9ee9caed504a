// TForm1, the main window: a frameless window cut to the outline of its
// picture, with hot-spots that open the Split & Join window, the About window
// and the Tools menu (network drives, System Information), minimise and end
// the program, and five lamps along the ring that show a running light.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QWidget>

class QAction;
class QMenu;
class QTimer;

namespace parvex {
class KrHint;
class TNetConnectDlg;
class TNetDisConnectDlg;
class TBSLed;
class TCoolForm;
class TNoShape;
}  // namespace parvex

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // Builds the window and its components from the stored artwork; throws
  // parvex::Exception when that artwork cannot be read.
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Interval of the running light, in milliseconds.
  static constexpr int kRunningLightInterval = 300;

  // --- The window's components, in their declared order. All are owned by
  // the window; the visual ones paint in creation order (later on top).
  parvex::TCoolForm* CoolForm1 = nullptr;
  QMenu* PopupMenu1 = nullptr;  // the Tools menu
  QAction* ConnectNetworkDrive1 = nullptr;
  QAction* DisconnectNetworkDrives1 = nullptr;
  QAction* N1 = nullptr;  // a separator
  QAction* SystemInformation1 = nullptr;
  parvex::TNoShape* NoShape1 = nullptr;  // "Split & Join"
  parvex::TNoShape* NoShape2 = nullptr;  // "About"
  parvex::TNoShape* NoShape3 = nullptr;  // "Tools"
  parvex::TNoShape* NoShape4 = nullptr;  // "Exit"
  parvex::KrHint* KrHint1 = nullptr;
  parvex::TNoShape* NoShape5 = nullptr;  // "Minimize"
  parvex::TNetConnectDlg* NetConnectDlg1 = nullptr;
  parvex::TNetDisConnectDlg* NetDisConnectDlg1 = nullptr;
  parvex::TBSLed* BSLed1 = nullptr;
  parvex::TBSLed* BSLed2 = nullptr;
  parvex::TBSLed* BSLed3 = nullptr;
  parvex::TBSLed* BSLed4 = nullptr;
  parvex::TBSLed* BSLed5 = nullptr;
  QTimer* Timer1 = nullptr;

 public slots:
  // Runs whenever the window becomes the active window: puts the window's
  // size and the controls' positions back to their fixed values.
  void FormActivate();
  // Stops the running light, shows Form2 modally, starts the light again.
  void NoShape1Click();
  // Shows the About window without waiting (brought forward when it is open);
  // the running light stands still only for that instant.
  void NoShape2Click();
  // Opens the Tools menu at the top-right corner of the Tools hot-spot.
  void NoShape3Click();
  // Closes the window, which ends the program.
  void NoShape4Click();
  // Sends every window of the program to the task bar.
  void NoShape5Click();
  // Moves the lit lamp one place on; see the definition for the rules.
  void Timer1Timer();
  // The Tools menu's items; each stops the running light while its dialog or
  // window is open.
  void ConnectNetworkDrive1Click();
  void DisconnectNetworkDrives1Click();
  void SystemInformation1Click();

 signals:
  // The window has closed; the program ends on it.
  void OnClose();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateComponents();
  void CreateToolsMenu();
  parvex::TNoShape* CreateHotSpot(const char* name, int left, int top, const QString& hint);
  parvex::TBSLed* CreateLamp(const char* name, int left, int top, bool lit);
  void PlaceAtScreenCentre();
};

// The window's one instance, created first at program start-up.
extern TForm1* Form1;
