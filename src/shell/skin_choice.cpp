#include "shell/skin_choice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace zt640 {

namespace {
constexpr char kSection[] = "SKINIMAGE";
constexpr char kFlagsKey[] = "FLAGS";
constexpr char kImageKey[] = "IMAGE";
/// Larger files are not a settings file of this program.
constexpr qint64 kMaxFileSize = 64 * 1024;

bool IsSectionLine(const QString& line) {
  const QString trimmed = line.trimmed();
  return trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'));
}

bool IsOurSection(const QString& line) {
  return line.trimmed().compare(QStringLiteral("[%1]").arg(QLatin1String(kSection)), Qt::CaseInsensitive) == 0;
}

/// The key of a "key=value" line, or empty.
QString KeyOf(const QString& line) {
  const qsizetype equals = line.indexOf(QLatin1Char('='));
  return equals > 0 ? line.left(equals).trimmed() : QString();
}

QString ValueOf(const QString& line) { return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed(); }

bool ReadLines(const QString& path, QStringList* lines) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize) return false;
  const QByteArray bytes = file.readAll();
  if (bytes.contains('\0')) return false;
  *lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
  for (QString& line : *lines) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  }
  if (!lines->isEmpty() && lines->last().isEmpty()) lines->removeLast();
  return true;
}

/// A relative path that stays below its folder.
bool StaysBelow(const QString& image) {
  if (image.isEmpty() || QDir::isAbsolutePath(image)) return false;
  return !QDir::cleanPath(image).startsWith(QLatin1String(".."));
}
}  // namespace

QString SkinImageFile(const QString& skin_folder, const QString& image) {
  return QDir::isAbsolutePath(image) ? image : QDir(skin_folder).filePath(image);
}

QString StretchedImageStyle(const QString& file) {
  QString escaped = file;
  escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
  return QStringLiteral("border-image: url(\"%1\") 0 0 0 0 stretch stretch;").arg(escaped);
}

SkinChoiceFile::SkinChoiceFile(QString path, QString skin_folder)
    : path_(std::move(path)), skin_folder_(std::move(skin_folder)) {}

SkinChoice SkinChoiceFile::Read() const {
  QStringList lines;
  if (!ReadLines(path_, &lines)) return SkinChoice::Default();
  QString flags;
  QString image;
  bool in_section = false;
  for (const QString& line : lines) {
    if (IsSectionLine(line)) {
      in_section = IsOurSection(line);
    } else if (in_section && KeyOf(line).compare(QLatin1String(kFlagsKey), Qt::CaseInsensitive) == 0) {
      flags = ValueOf(line);
    } else if (in_section && KeyOf(line).compare(QLatin1String(kImageKey), Qt::CaseInsensitive) == 0) {
      image = ValueOf(line);
    }
  }
  if (flags != QLatin1String("1") || !StaysBelow(image)) return SkinChoice::Default();
  if (!QFileInfo(SkinImageFile(skin_folder_, image)).isFile()) return SkinChoice::Default();
  return SkinChoice::Image(image);
}

bool SkinChoiceFile::WriteImage(const QString& image) const {
  if (!StaysBelow(image)) return false;
  return Write(QStringLiteral("1"), image);
}

bool SkinChoiceFile::WriteDefault() const {
  return Write(QStringLiteral("0"), QString::fromLatin1(SkinChoice::kDefaultImage));
}

bool SkinChoiceFile::Write(const QString& flags, const QString& image) const {
  QStringList lines;
  if (QFileInfo::exists(path_) && !ReadLines(path_, &lines)) {
    // A file this program did not write is not replaced by one it did.
    return false;
  }
  // The two keys go where they were, else at the top of the section, else into a new
  // section at the end; every other line stays.
  const QString flags_line = QStringLiteral("%1=%2").arg(QLatin1String(kFlagsKey), flags);
  const QString image_line = QStringLiteral("%1=%2").arg(QLatin1String(kImageKey), image);
  QStringList out;
  bool in_section = false;
  bool written = false;
  for (const QString& line : lines) {
    if (IsSectionLine(line)) {
      in_section = IsOurSection(line);
      out << line;
      if (in_section && !written) {
        out << flags_line << image_line;
        written = true;
      }
      continue;
    }
    const QString key = KeyOf(line);
    if (in_section && (key.compare(QLatin1String(kFlagsKey), Qt::CaseInsensitive) == 0 ||
                       key.compare(QLatin1String(kImageKey), Qt::CaseInsensitive) == 0)) {
      continue;
    }
    out << line;
  }
  if (!written) out << QStringLiteral("[%1]").arg(QLatin1String(kSection)) << flags_line << image_line;

  if (!QDir().mkpath(QFileInfo(path_).absolutePath())) return false;
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(out.join(QLatin1Char('\n')).toUtf8() + '\n');
  return file.commit();
}

}  // namespace zt640
