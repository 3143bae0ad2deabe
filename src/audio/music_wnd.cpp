#include "audio/music_wnd.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <array>

#include "platform/diag/debug_output.h"
#include "profiles/global_utils.h"

namespace zt640 {

namespace {
constexpr char kTabPrefix[] = "audio_select_tab";
constexpr char kNamePrefix[] = "audio_edit_name";
constexpr std::array<const char*, 3> kSliders = {"audio_r_slider", "audio_g_slider", "audio_b_slider"};
constexpr std::array<int, 7> kValidDpi = {48, 72, 96, 120, 144, 168, 192};
constexpr int kDefaultDpi = 96;

QString Numbered(const char* prefix, int style) { return QLatin1String(prefix) + QString::number(style + 1); }

std::wstring Wide(const QString& text) { return CGlobalUtils::WideFromUtf8(text.toStdString()); }
QString FromWide(const std::wstring& text) { return QString::fromStdString(CGlobalUtils::Utf8FromWide(text)); }
}  // namespace

MusicWnd::MusicWnd(QWidget* owner) : WindowImplBase(QStringLiteral("XML_MUSIC"), QStringLiteral("MusicWnd"), owner) {
  setWindowFlag(Qt::Tool, true);
}

QString MusicWnd::DefaultName(int style) {
  static const std::array<QString, AudioStyleSet::kStyleCount> kNames = {
      QStringLiteral("第一组"), QStringLiteral("第二组"), QStringLiteral("第三组"), QStringLiteral("第四组")};
  return style >= 0 && style < AudioStyleSet::kStyleCount ? kNames[static_cast<std::size_t>(style)] : QString();
}

bool MusicWnd::Setup(int dpi, QString* error) {
  bool valid = false;
  for (int allowed : kValidDpi) valid = valid || allowed == dpi;
  if (!valid) {
    platform::DebugOutput("SET_WND DPI SET ERROR");
    dpi = kDefaultDpi;
  }
  const double scale = dpi / static_cast<double>(kDefaultDpi);
  if (!Create(QStringLiteral("  "), static_cast<int>(kWidth * scale), static_cast<int>(kHeight * scale), error)) {
    return false;
  }
  for (const char* name : kSliders) {
    if (auto* slider = FindControl<QSlider>(QLatin1String(name))) {
      const QSignalBlocker quiet(slider);
      slider->setRange(0, AudioStyleSet::kMaxWeight);
    }
  }
  const int selected = styles_.selected < AudioStyleSet::kStyleCount ? styles_.selected : 0;
  if (auto* tab = FindControl<QAbstractButton>(Numbered(kTabPrefix, selected))) {
    const QSignalBlocker quiet(tab);
    tab->setChecked(true);
  }
  ShowStyleValues(selected);
  for (int s = 0; s < AudioStyleSet::kStyleCount; ++s) {
    if (auto* edit = FindControl<QLineEdit>(Numbered(kNamePrefix, s))) {
      const QSignalBlocker quiet(edit);
      edit->setText(FromWide(styles_.names[static_cast<std::size_t>(s)]));
    }
  }
  CenterWindow();
  return true;
}

int MusicWnd::CheckedStyle() const {
  for (int s = 0; s < AudioStyleSet::kStyleCount; ++s) {
    const auto* tab = FindControl<QAbstractButton>(Numbered(kTabPrefix, s));
    if (tab != nullptr && tab->isChecked()) return s;
  }
  return 0;
}

void MusicWnd::ShowStyleValues(int style) {
  const std::array<std::uint8_t, 3> values = {styles_.Red(style), styles_.Green(style), styles_.Blue(style)};
  for (std::size_t c = 0; c < kSliders.size(); ++c) {
    auto* slider = FindControl<QSlider>(QLatin1String(kSliders[c]));
    if (slider == nullptr) {
      platform::DebugOutput(std::string("music window: no ") + kSliders[c]);
      continue;
    }
    const QSignalBlocker quiet(slider);
    slider->setValue(values[c]);
  }
}

void MusicWnd::TakeName(int style) {
  auto* edit = FindControl<QLineEdit>(Numbered(kNamePrefix, style));
  if (edit == nullptr) return;
  if (edit->text().isEmpty()) {
    const QSignalBlocker quiet(edit);
    edit->setText(DefaultName(style));
  }
  styles_.names[static_cast<std::size_t>(style)] = Wide(edit->text());
}

AudioStyleSet MusicWnd::GetAudioStyles() const {
  AudioStyleSet styles = styles_;
  // An edit still holding the focus when the window closes has not reported its text.
  for (int s = 0; s < AudioStyleSet::kStyleCount; ++s) {
    const auto* edit = FindControl<QLineEdit>(Numbered(kNamePrefix, s));
    if (edit == nullptr) continue;
    styles.names[static_cast<std::size_t>(s)] = Wide(edit->text().isEmpty() ? DefaultName(s) : edit->text());
  }
  return styles;
}

void MusicWnd::Notify(const ui::Notification& notification) {
  const QString& kind = notification.kind;
  const QString& name = notification.sender_name;
  if (kind == QLatin1String("click")) {
    if (name == QLatin1String("closebtn")) {
      Close(0);
    } else if (name == QLatin1String("okbtn")) {
      Close(1);
    } else {
      HandleCaptionButton(name);
    }
  } else if (kind == QLatin1String("selectchanged") && notification.wparam != 0 && name.startsWith(QLatin1String(kTabPrefix))) {
    bool number = false;
    const int tab = name.mid(static_cast<qsizetype>(sizeof(kTabPrefix) - 1)).toInt(&number);
    if (!number || tab < 1 || tab > AudioStyleSet::kStyleCount) return;
    styles_.selected = static_cast<std::uint8_t>(tab - 1);
    ShowStyleValues(tab - 1);
  } else if (kind == QLatin1String("valuechanged")) {
    for (std::size_t c = 0; c < kSliders.size(); ++c) {
      if (name != QLatin1String(kSliders[c])) continue;
      const int style = CheckedStyle();
      const int value = std::clamp(static_cast<int>(notification.wparam), 0, AudioStyleSet::kMaxWeight);
      styles_.values[static_cast<std::size_t>(3 * style) + c] = static_cast<std::uint8_t>(value);
    }
  } else if (kind == QLatin1String("killfocus") && name.startsWith(QLatin1String(kNamePrefix))) {
    bool number = false;
    const int edit = name.mid(static_cast<qsizetype>(sizeof(kNamePrefix) - 1)).toInt(&number);
    if (number && edit >= 1 && edit <= AudioStyleSet::kStyleCount) TakeName(edit - 1);
  }
}

}  // namespace zt640
