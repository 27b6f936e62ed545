// The script log: a read-only multi-line text without word wrap and with both
// scroll bars, which the engine writes to as its log target.
#pragma once

#include <QPlainTextEdit>

#include "platform/UserInterface.h"

namespace shell {

class TLogMemo : public QPlainTextEdit, public platform::ILogTarget {
 public:
  explicit TLogMemo(QWidget* parent);

  void Clear() override;
  // A line holding CRs shows as several lines.
  void Append(const std::string& line) override;
};

}  // namespace shell
