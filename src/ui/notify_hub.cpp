#include "ui/notify_hub.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QWidget>

#include "ui/notifying_control.h"

namespace zt640::ui {

namespace {
constexpr const char* kConnectedProperty = "_zt640_notify_connected";
constexpr const char* kPreviousIndexProperty = "_zt640_previous_index";

bool IsNotifiable(const QWidget* widget) {
  const QString name = widget->objectName();
  return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}
}  // namespace

NotifyHub::NotifyHub(NotifyTarget& target, QObject* parent) : QObject(parent), target_(target) {}

void NotifyHub::SendNotify(QObject* sender, const QString& kind, qint64 wparam, qint64 lparam) {
  Notification notification;
  notification.kind = kind;
  notification.sender = sender;
  notification.sender_name = sender != nullptr ? sender->objectName() : QString();
  notification.wparam = wparam;
  notification.lparam = lparam;
  target_.Notify(notification);
}

void NotifyHub::Attach(QWidget* root) {
  if (root == nullptr) return;
  if (IsNotifiable(root)) Connect(root);
  for (QWidget* child : root->findChildren<QWidget*>()) {
    if (IsNotifiable(child)) Connect(child);
  }
}

void NotifyHub::Connect(QWidget* widget) {
  if (widget->property(kConnectedProperty).toBool()) return;
  widget->setProperty(kConnectedProperty, true);

  if (auto* control = dynamic_cast<NotifyingControl*>(widget)) {
    control->SetNotifyHandler([hub = QPointer<NotifyHub>(this)](QObject* sender, const QString& kind, qint64 wparam,
                                                                qint64 lparam) {
      if (hub) hub->SendNotify(sender, kind, wparam, lparam);
    });
  }

  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    connect(button, &QAbstractButton::clicked, this, [this, button] { SendNotify(button, QStringLiteral("click")); });
    if (button->isCheckable()) {
      connect(button, &QAbstractButton::toggled, this,
              [this, button](bool checked) { SendNotify(button, QStringLiteral("selectchanged"), checked ? 1 : 0); });
    }
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    combo->setProperty(kPreviousIndexProperty, combo->currentIndex());
    connect(combo, &QComboBox::currentIndexChanged, this, [this, combo](int index) {
      const int previous = combo->property(kPreviousIndexProperty).toInt();
      combo->setProperty(kPreviousIndexProperty, index);
      SendNotify(combo, QStringLiteral("itemselect"), index, previous);
    });
  } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
    list->setProperty(kPreviousIndexProperty, list->currentRow());
    connect(list, &QListWidget::currentRowChanged, this, [this, list](int row) {
      const int previous = list->property(kPreviousIndexProperty).toInt();
      list->setProperty(kPreviousIndexProperty, row);
      SendNotify(list, QStringLiteral("itemselect"), row, previous);
    });
    connect(list, &QListWidget::itemClicked, this,
            [this, list](QListWidgetItem* item) { SendNotify(list, QStringLiteral("itemclick"), list->row(item)); });
    connect(list, &QListWidget::itemActivated, this,
            [this, list](QListWidgetItem* item) { SendNotify(list, QStringLiteral("itemactivate"), list->row(item)); });
    connect(list, &QListWidget::itemDoubleClicked, this,
            [this, list](QListWidgetItem* item) { SendNotify(list, QStringLiteral("dbclick"), list->row(item)); });
  } else if (auto* slider = qobject_cast<QAbstractSlider*>(widget)) {
    connect(slider, &QAbstractSlider::sliderMoved, this,
            [this, slider](int value) { SendNotify(slider, QStringLiteral("movevaluechanged"), value); });
    connect(slider, &QAbstractSlider::valueChanged, this, [this, slider](int value) {
      if (!slider->isSliderDown()) SendNotify(slider, QStringLiteral("valuechanged"), value);
    });
    connect(slider, &QAbstractSlider::sliderReleased, this,
            [this, slider] { SendNotify(slider, QStringLiteral("valuechanged"), slider->value()); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    connect(edit, &QLineEdit::textChanged, this, [this, edit] { SendNotify(edit, QStringLiteral("textchanged")); });
    connect(edit, &QLineEdit::returnPressed, this, [this, edit] { SendNotify(edit, QStringLiteral("return")); });
    edit->installEventFilter(this);
  } else if (auto* text = qobject_cast<QTextEdit*>(widget)) {
    connect(text, &QTextEdit::textChanged, this, [this, text] { SendNotify(text, QStringLiteral("textchanged")); });
    text->installEventFilter(this);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
    connect(plain, &QPlainTextEdit::textChanged, this,
            [this, plain] { SendNotify(plain, QStringLiteral("textchanged")); });
    plain->installEventFilter(this);
  }
}

bool NotifyHub::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) SendNotify(watched, QStringLiteral("killfocus"));
  return QObject::eventFilter(watched, event);
}

}  // namespace zt640::ui
