#include "ui/control_factory.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace zt640::ui {

namespace {
constexpr const char* kControlClass = "controlClass";
}

ControlFactory& ControlFactory::Instance() {
  static ControlFactory factory;
  return factory;
}

void ControlFactory::RegistControl(const QString& class_name, Creator creator) {
  for (Entry& entry : entries_) {
    if (entry.name == class_name) {
      entry.creator = std::move(creator);
      return;
    }
  }
  entries_.push_back(Entry{class_name, std::move(creator)});
}

QWidget* ControlFactory::Create(const QString& class_name, QWidget* parent) const {
  for (const Entry& entry : entries_) {
    if (entry.name == class_name) return entry.creator ? entry.creator(parent) : nullptr;
  }
  return nullptr;
}

bool ControlFactory::IsRegistered(const QString& class_name) const {
  for (const Entry& entry : entries_) {
    if (entry.name == class_name) return true;
  }
  return false;
}

QStringList ControlFactory::RegisteredNames() const {
  QStringList names;
  for (const Entry& entry : entries_) names << entry.name;
  return names;
}

ControlFactory::Creator ControlFactory::PlainControl(const QString& class_name, ControlBase base) {
  return [class_name, base](QWidget* parent) -> QWidget* {
    QWidget* control = nullptr;
    switch (base) {
      case ControlBase::kContainer: control = new QWidget(parent); break;
      case ControlBase::kFrame: control = new QFrame(parent); break;
      case ControlBase::kButton: control = new QPushButton(parent); break;
      case ControlBase::kOption: {
        auto* option = new QPushButton(parent);
        option->setCheckable(true);
        control = option;
        break;
      }
      case ControlBase::kLabel: control = new QLabel(parent); break;
    }
    control->setProperty(kControlClass, class_name);
    return control;
  };
}

QString ControlFactory::ControlClassName(const QWidget* control) {
  if (control == nullptr) return {};
  const QVariant name = control->property(kControlClass);
  return name.isValid() ? name.toString() : QString::fromLatin1(control->metaObject()->className());
}

void ControlFactory::Clear() { entries_.clear(); }

}  // namespace zt640::ui
