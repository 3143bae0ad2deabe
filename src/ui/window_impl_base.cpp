#include "ui/window_impl_base.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QShowEvent>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace zt640::ui {

WindowImplBase::WindowImplBase(QString skin, QString window_class_name, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      skin_(std::move(skin)),
      class_name_(std::move(window_class_name)),
      hub_(std::make_unique<NotifyHub>(*this)),
      timers_(std::make_unique<ControlTimers>(*hub_)),
      queue_(std::make_unique<platform::MessageQueue>()) {
  setObjectName(class_name_);
  screen_change_ = new QTimer(this);
  screen_change_->setSingleShot(true);
  screen_change_->setInterval(0);
  connect(screen_change_, &QTimer::timeout, this, [this] { ScreenChanged(); });
  queue_->SetHandler([this](const platform::WindowMessage& message) { return HandleMessage(message); });
  if (queue_->WakeFd() >= 0) {
    wake_ = new QSocketNotifier(queue_->WakeFd(), QSocketNotifier::Read, this);
    connect(wake_, &QSocketNotifier::activated, this, [this] { queue_->Dispatch(); });
  }
}

WindowImplBase::~WindowImplBase() { StopMessages(); }

bool WindowImplBase::Create(const QString& title, int width, int height, QString* error) {
  SkinLoader loader(ControlFactory::Instance(), this);
  QString reason;
  QWidget* root = loader.Build(ResourceManager::Instance().SkinPath(skin_), this, &reason);
  if (root == nullptr) {
    if (error != nullptr) *error = reason;
    return false;
  }
  root_ = root;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(root_);
  setWindowTitle(title);
  resize(width, height);
  hub_->Attach(this);
  ResourceManager::Instance().Language().Bind(root_);
  InitWindow();
  WatchScreens();
  initialised_ = true;
  hub_->SendNotify(this, QStringLiteral("windowinit"));
  return true;
}

QWidget* WindowImplBase::FindControl(const QString& name) const {
  if (name.isEmpty()) return nullptr;
  return findChild<QWidget*>(name);
}

void WindowImplBase::CenterWindow() {
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  move(area.center() - QPoint(width() / 2, height() / 2));
}

int WindowImplBase::ShowModal() {
  modal_result_ = 0;
  setWindowModality(Qt::ApplicationModal);
  CenterWindow();
  show();
  raise();
  activateWindow();
  QEventLoop loop;
  modal_loop_ = &loop;
  loop.exec();
  modal_loop_ = nullptr;
  return modal_result_;
}

void WindowImplBase::Close(int result) {
  modal_result_ = result;
  hide();
  if (modal_loop_ != nullptr) modal_loop_->quit();
}

platform::EndpointResult WindowImplBase::ListenForMessages(const std::string& runtime_folder,
                                                           platform::WindowEndpoint::DirectHandler direct) {
  endpoint_ = std::make_unique<platform::WindowEndpoint>(*queue_);
  endpoint_->SetDirectHandler(std::move(direct));
  return endpoint_->Open(runtime_folder, class_name_.toStdString(), windowTitle().toStdString());
}

void WindowImplBase::StopMessages() {
  queue_->Close();
  if (endpoint_) endpoint_->Close();
  if (wake_ != nullptr) wake_->setEnabled(false);
}

void WindowImplBase::Notify(const Notification&) {}

bool WindowImplBase::HandleCaptionButton(const QString& name) {
  if (name == QLatin1String("minbtn")) {
    showMinimized();
  } else if (name == QLatin1String("maxbtn")) {
    showMaximized();
  } else if (name == QLatin1String("restorebtn")) {
    showNormal();
  } else {
    return false;
  }
  return true;
}

std::int64_t WindowImplBase::HandleMessage(const platform::WindowMessage&) { return 0; }

QWidget* WindowImplBase::CreateControl(const QString&, QWidget*) { return nullptr; }

void WindowImplBase::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The skin's root control reports the window's size; its handlers look for it by name.
  if (initialised_) hub_->SendNotify(root_ != nullptr ? root_ : this, QStringLiteral("windowsize"), width(), height());
}

void WindowImplBase::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The native window exists from the first show on.
  if (initialised_) WatchWindowHandle();
}

void WindowImplBase::WatchScreens() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (app != nullptr) {
    connect(app, &QGuiApplication::screenAdded, this, [this] { ScreenSignal(); });
    connect(app, &QGuiApplication::screenRemoved, this, [this] { ScreenSignal(); });
    connect(app, &QGuiApplication::primaryScreenChanged, this, [this] { ScreenSignal(); });
  }
  WatchScreen(screen());
  WatchWindowHandle();
}

void WindowImplBase::WatchWindowHandle() {
  QWindow* window = windowHandle();
  if (window == nullptr || window == watched_window_) return;
  watched_window_ = window;
  connect(window, &QWindow::screenChanged, this, [this](QScreen* now) {
    WatchScreen(now);
    ScreenSignal();
  });
  WatchScreen(window->screen());
}

void WindowImplBase::WatchScreen(QScreen* screen) {
  for (const QMetaObject::Connection& connection : screen_connections_) disconnect(connection);
  screen_connections_.clear();
  if (screen == nullptr) return;
  screen_connections_.push_back(connect(screen, &QScreen::geometryChanged, this, [this] { ScreenSignal(); }));
  screen_connections_.push_back(connect(screen, &QScreen::logicalDotsPerInchChanged, this, [this] { ScreenSignal(); }));
}

void WindowImplBase::ScreenSignal() {
  if (initialised_) screen_change_->start();
}

void WindowImplBase::mousePressEvent(QMouseEvent* event) {
  // Pressing on the window's own background (not a control) drags the frameless window.
  if (event->button() == Qt::LeftButton && windowHandle() != nullptr) {
    const QWidget* under = childAt(event->position().toPoint());
    if (under == nullptr || under == root_ || under->objectName() == QLatin1String("caption") ||
        under->parentWidget() == nullptr || under->property("dragsWindow").toBool()) {
      windowHandle()->startSystemMove();
      return;
    }
  }
  QWidget::mousePressEvent(event);
}

void WindowImplBase::closeEvent(QCloseEvent* event) {
  if (modal_loop_ != nullptr) {
    Close(0);
    event->accept();
    return;
  }
  QWidget::closeEvent(event);
}

}  // namespace zt640::ui
