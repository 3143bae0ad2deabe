#pragma once

#include <QMetaObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/ipc/message_queue.h"
#include "platform/ipc/window_endpoint.h"
#include "ui/builder_callback.h"
#include "ui/control_timers.h"
#include "ui/notification.h"
#include "ui/notify_hub.h"

class QEventLoop;
class QScreen;
class QSocketNotifier;
class QTimer;
class QWindow;

namespace zt640::ui {

/// A top-level window built from a skin: frameless (the skin draws its own caption),
/// with a notify hub, control timers, a message queue that other threads (and, once
/// `ListenForMessages` ran, other processes) reach, and modal use with a result code.
///
/// Subclasses override `Notify` for control events, `HandleMessage` for window
/// messages, `CreateControl` to build their own control classes, `InitWindow` for
/// the step between building the skin and the "windowinit" notification and
/// `ScreenChanged` to follow display and DPI changes.
///
/// A change of the window's size reaches `Notify` as "windowsize" from the skin's root
/// control (wparam width, lparam height), as the design's UI library reports it.
class WindowImplBase : public QWidget, public NotifyTarget, public BuilderCallback {
  Q_OBJECT
 public:
  /// `skin` is a skin id of the resource index or a skin file name in the skin folder.
  WindowImplBase(QString skin, QString window_class_name, QWidget* parent = nullptr);
  ~WindowImplBase() override;

  /// Builds the window from its skin (the window stays hidden), runs `InitWindow`, then
  /// notifies "windowinit". False, with `error` set, when the skin cannot be built.
  [[nodiscard]] bool Create(const QString& title, int width, int height, QString* error);

  [[nodiscard]] const QString& WindowClassName() const { return class_name_; }

  /// The control named `name` in this window, or null.
  [[nodiscard]] QWidget* FindControl(const QString& name) const;
  template <typename T>
  [[nodiscard]] T* FindControl(const QString& name) const {
    return qobject_cast<T*>(FindControl(name));
  }

  void CenterWindow();

  /// Shows the window modally and returns the code given to `Close`, or 0 when it was
  /// closed another way.
  int ShowModal();

  /// Hides the window, ending `ShowModal` with `result`.
  void Close(int result);

  [[nodiscard]] NotifyHub& hub() { return *hub_; }
  [[nodiscard]] ControlTimers& timers() { return *timers_; }
  [[nodiscard]] platform::MessageQueue& messages() { return *queue_; }

  /// Makes this window reachable by class name and title from other processes through a
  /// socket in `runtime_folder`. `direct` takes messages on the socket's thread first
  /// (see WindowEndpoint::DirectHandler); it runs until `StopMessages`.
  [[nodiscard]] platform::EndpointResult ListenForMessages(const std::string& runtime_folder,
                                                           platform::WindowEndpoint::DirectHandler direct = {});

  /// Stops taking messages: the queue answers waiting senders "closed" and the socket
  /// goes away. Called on destruction at the latest.
  void StopMessages();

  /// Control events of this window. The base class ignores them.
  void Notify(const Notification& notification) override;

  /// Window messages (registered, fixed-number and copy-data). The base returns 0.
  virtual std::int64_t HandleMessage(const platform::WindowMessage& message);

  QWidget* CreateControl(const QString& class_name, QWidget* parent) override;

 protected:
  virtual void InitWindow() {}

  /// The display under the window changed: the window moved to another screen, its
  /// screen's geometry or logical DPI changed, or a screen was added or removed. One
  /// call per burst of such changes (they are collected until the event loop is idle).
  /// The base does nothing.
  virtual void ScreenChanged() {}

  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  [[nodiscard]] QWidget* SkinRoot() const { return root_; }

  /// The caption's "minbtn", "maxbtn" and "restorebtn": minimises, maximises or
  /// restores the window. False for any other name.
  bool HandleCaptionButton(const QString& name);

 private:
  void WatchScreens();
  void WatchWindowHandle();
  void WatchScreen(QScreen* screen);
  void ScreenSignal();

  QString skin_;
  QString class_name_;
  QWidget* root_ = nullptr;
  std::unique_ptr<NotifyHub> hub_;
  std::unique_ptr<ControlTimers> timers_;
  std::unique_ptr<platform::MessageQueue> queue_;
  std::unique_ptr<platform::WindowEndpoint> endpoint_;
  QSocketNotifier* wake_ = nullptr;
  QEventLoop* modal_loop_ = nullptr;
  int modal_result_ = 0;
  bool initialised_ = false;
  QTimer* screen_change_ = nullptr;  ///< collects a burst of screen signals into one call
  QPointer<QWindow> watched_window_;
  std::vector<QMetaObject::Connection> screen_connections_;  ///< the watched screen's signals
};

}  // namespace zt640::ui
