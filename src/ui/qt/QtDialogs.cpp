#include "ui/qt/QtDialogs.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include "ui/qt/ShieldIcon.h"

namespace vz::ui::qt {

QString DialogText(const std::string& text) {
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lines += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      lines += text[i];
    }
  }
  return QString::fromStdString(lines);
}

namespace {

QMessageBox::Icon IconOf(DialogIcon icon) {
  switch (icon) {
    case DialogIcon::Information: return QMessageBox::Information;
    case DialogIcon::Error: return QMessageBox::Critical;
    case DialogIcon::Warning: return QMessageBox::Warning;
    case DialogIcon::Confirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(DialogButtons buttons) {
  switch (buttons) {
    case DialogButtons::Ok: return QMessageBox::Ok;
    case DialogButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case DialogButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case DialogButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

DialogAnswer AnswerOf(int button, DialogButtons buttons) {
  switch (button) {
    case QMessageBox::Ok: return DialogAnswer::Ok;
    case QMessageBox::Cancel: return DialogAnswer::Cancel;
    case QMessageBox::Yes: return DialogAnswer::Yes;
    case QMessageBox::No: return DialogAnswer::No;
    default: return SafeAnswer(buttons);  // closed by the window manager
  }
}

// Room for the caption beside the title bar's icon and buttons, which a
// window manager draws wider than the box itself allows for: a short text
// ("File Deleted file") would otherwise cut the caption.
constexpr int kTitleBarAllowance = 160;

void KeepCaptionWhole(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid) return;
  QFont title = QApplication::font("QMdiSubWindowTitleBar");
  title.setBold(true);
  int width = QFontMetrics(title).horizontalAdvance(box.windowTitle()) + kTitleBarAllowance;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                grid->columnCount());
}

}  // namespace

DialogAnswer QtDialogs::Show(const DialogRequest& request) {
  QMessageBox box(IconOf(request.icon), QString::fromStdString(request.caption), DialogText(request.text),
                  ButtonsOf(request.buttons), QApplication::activeWindow());
  box.setWindowIcon(ShieldIcon());
  // A name in the text (a startup entry's) is shown as it is, never read as markup.
  box.setTextFormat(Qt::PlainText);
  KeepCaptionWhole(box);
  // Escape and the window's close button give the answer that changes nothing.
  switch (request.buttons) {
    case DialogButtons::Ok: box.setEscapeButton(QMessageBox::Ok); break;
    case DialogButtons::OkCancel:
    case DialogButtons::YesNoCancel: box.setEscapeButton(QMessageBox::Cancel); break;
    case DialogButtons::YesNo: box.setEscapeButton(QMessageBox::No); break;
  }
  return AnswerOf(box.exec(), request.buttons);
}

}  // namespace vz::ui::qt
