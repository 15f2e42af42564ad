#include "ui/qt/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>

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

}  // namespace

DialogAnswer QtDialogs::Show(const DialogRequest& request) {
  QMessageBox box(IconOf(request.icon), QString::fromStdString(request.caption), DialogText(request.text),
                  ButtonsOf(request.buttons), QApplication::activeWindow());
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
