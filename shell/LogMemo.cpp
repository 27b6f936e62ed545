#include "LogMemo.h"

#include "DisplayText.h"

namespace shell {

TLogMemo::TLogMemo(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setTabChangesFocus(true);
  setUndoRedoEnabled(false);
}

void TLogMemo::Clear() { clear(); }

void TLogMemo::Append(const std::string& line) { appendPlainText(ToDisplay(line)); }

}  // namespace shell
