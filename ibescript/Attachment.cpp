#include "Attachment.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "Messages.h"
#include "platform/Text.h"

namespace ibescript {

namespace {

// Read committed: a statement must see the schema changes committed apart
// after the transaction began (a snapshot would not find a new procedure).
constexpr std::array<char, 5> kMainTransaction = {
    isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_wait};
// No wait: its only rival in a single-user database is our own main
// transaction, and waiting for that would never end.
constexpr std::array<char, 5> kDdlTransaction = {
    isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_nowait};

bool Failed(const ISC_STATUS* status) { return status[0] == 1 && status[1] != 0; }

bool MeansLostConnection(ISC_STATUS code) {
  return code == isc_network_error || code == isc_net_read_err || code == isc_net_write_err ||
         code == isc_lost_db_connection || code == isc_att_shutdown || code == isc_shutdown;
}

bool LostConnection(const ISC_STATUS* status) {
  for (int i = 0; i < ISC_STATUS_LENGTH - 1 && status[i] != isc_arg_end;) {
    if (status[i] == isc_arg_gds && MeansLostConnection(status[i + 1])) return true;
    i += status[i] == isc_arg_cstring ? 3 : 2;
  }
  return false;
}

// Owns a statement handle and drops it however the call ends.
class StatementHandle {
 public:
  explicit StatementHandle(const FbApi& api) : api_(api) {}
  ~StatementHandle() {
    if (handle_) {
      ISC_STATUS_ARRAY status{};
      api_.dsql_free_statement(status, &handle_, DSQL_drop);
    }
  }
  StatementHandle(const StatementHandle&) = delete;
  StatementHandle& operator=(const StatementHandle&) = delete;
  isc_stmt_handle& Get() { return handle_; }

 private:
  const FbApi& api_;
  isc_stmt_handle handle_ = 0;
};

std::int32_t LittleEndian(const char* bytes, int length) {
  std::uint32_t value = 0;
  for (int i = length - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return static_cast<std::int32_t>(value);
}

bool AddText(std::string& dpb, char tag, const std::string& value) {
  if (value.size() > 255) return false;
  dpb += tag;
  dpb += static_cast<char>(value.size());
  dpb += value;
  return true;
}

}  // namespace

// Room for a statement's output values, each column with its own buffer and
// null indicator.
struct OutputArea {
  explicit OutputArea(short columns) { Resize(columns); }

  void Resize(short columns) {
    sqlda.reset(static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(columns))));
    if (!sqlda) throw std::bad_alloc();
    sqlda->version = SQLDA_VERSION1;
    sqlda->sqln = columns;
  }

  void Bind() {
    buffers.clear();
    indicators.assign(static_cast<std::size_t>(sqlda->sqld), 0);
    for (short i = 0; i < sqlda->sqld; ++i) {
      XSQLVAR& column = sqlda->sqlvar[i];
      const std::size_t size = static_cast<std::size_t>(column.sqllen) + sizeof(short) + 8;
      buffers.push_back(std::make_unique<char[]>(size));
      column.sqldata = buffers.back().get();
      column.sqlind = &indicators[static_cast<std::size_t>(i)];
      column.sqltype = static_cast<short>(column.sqltype | 1);
    }
  }

  struct Free {
    void operator()(XSQLDA* area) const { std::free(area); }
  };
  std::unique_ptr<XSQLDA, Free> sqlda;
  std::vector<std::unique_ptr<char[]>> buffers;
  std::vector<short> indicators;
};

Outcome Attachment::Failure(const ISC_STATUS* status) const {
  Outcome outcome{false, {}, LostConnection(status)};
  std::array<char, 1024> line{};
  const ISC_STATUS* cursor = status;
  while (api_.interpret(line.data(), line.size(), &cursor) > 0) {
    if (!outcome.error.empty()) outcome.error += "\r-";
    outcome.error += line.data();
  }
  return outcome;
}

Outcome Attachment::Attach() {
  std::string dpb(1, static_cast<char>(isc_dpb_version1));
  const bool fits = (params_.user.empty() || AddText(dpb, isc_dpb_user_name, params_.user)) &&
                    AddText(dpb, isc_dpb_password, params_.password) &&
                    (params_.charset.empty() || AddText(dpb, isc_dpb_lc_ctype, params_.charset)) &&
                    (params_.role.empty() || AddText(dpb, isc_dpb_sql_role_name, params_.role));
  if (!fits || dpb.size() > 32000) return {false, messages::ValueTooLong("DPB")};
  dpb += static_cast<char>(isc_dpb_sql_dialect);
  dpb += static_cast<char>(4);
  for (int shift = 0; shift < 32; shift += 8) dpb += static_cast<char>(params_.dialect >> shift);

  // The database file is named on the server's file system, in UTF-8.
  const std::string name = platform::ToUtf8(params_.database);
  ISC_STATUS_ARRAY status{};
  database_ = 0;
  api_.attach_database(status, 0, name.c_str(), &database_, static_cast<short>(dpb.size()),
                       dpb.data());
  if (Failed(status)) {
    database_ = 0;
    return Failure(status);
  }
  return {};
}

Outcome Attachment::Detach() {
  Rollback();
  if (!database_) return {};
  ISC_STATUS_ARRAY status{};
  api_.detach_database(status, &database_);
  database_ = 0;
  return Failed(status) ? Failure(status) : Outcome{};
}

Outcome Attachment::StartMain() {
  if (main_) return {};
  ISC_STATUS_ARRAY status{};
  api_.start_transaction(status, &main_, 1, &database_, static_cast<int>(kMainTransaction.size()),
                         kMainTransaction.data());
  if (Failed(status)) {
    main_ = 0;
    return Failure(status);
  }
  return {};
}

Outcome Attachment::Execute(std::string_view sql) {
  if (Outcome started = StartMain(); !started.ok) return started;
  const std::string text(sql);
  ISC_STATUS_ARRAY status{};
  api_.dsql_execute_immediate(status, &database_, &main_, 0, text.c_str(),
                              static_cast<unsigned short>(params_.dialect), nullptr);
  return Failed(status) ? Failure(status) : Outcome{};
}

Outcome Attachment::ExecuteApart(std::string_view sql) {
  const std::string text(sql);
  return Apart([&](ISC_STATUS* status, isc_tr_handle* own) {
    api_.dsql_execute_immediate(status, &database_, own, 0, text.c_str(),
                                static_cast<unsigned short>(params_.dialect), nullptr);
  });
}

Outcome Attachment::Apart(const std::function<void(ISC_STATUS*, isc_tr_handle*)>& run) {
  isc_tr_handle own = 0;
  ISC_STATUS_ARRAY status{};
  api_.start_transaction(status, &own, 1, &database_, static_cast<int>(kDdlTransaction.size()),
                         kDdlTransaction.data());
  if (Failed(status)) return Failure(status);
  run(status, &own);
  // Many schema errors (an object in use, a unique index over duplicates)
  // show only at commit, when the server carries the change out.
  if (!Failed(status)) api_.commit_transaction(status, &own);
  if (!Failed(status)) return {};
  Outcome failure = Failure(status);
  ISC_STATUS_ARRAY ignored{};
  if (own) api_.rollback_transaction(ignored, &own);
  return failure;
}

Outcome Attachment::ExecuteBlock(const std::string& block, std::int32_t& step) {
  if (Outcome started = StartMain(); !started.ok) return started;
  OutputArea output(1);
  output.sqlda->sqld = 1;
  XSQLVAR& column = output.sqlda->sqlvar[0];
  column.sqltype = SQL_LONG + 1;
  column.sqllen = sizeof(std::int32_t);
  output.Bind();
  ISC_STATUS_ARRAY status{};
  api_.dsql_exec_immed2(status, &database_, &main_, 0, block.c_str(),
                        static_cast<unsigned short>(params_.dialect), nullptr, output.sqlda.get());
  if (Failed(status)) return Failure(status);
  std::memcpy(&step, output.buffers[0].get(), sizeof step);
  if (output.indicators[0]) step = 0;
  return {};
}

Outcome Attachment::ExecutePrepared(std::string_view sql, bool ddlApart) {
  if (Outcome started = StartMain(); !started.ok) return started;
  const std::string text(sql);
  const auto dialect = static_cast<unsigned short>(params_.dialect);
  ISC_STATUS_ARRAY status{};
  StatementHandle statement(api_);
  api_.dsql_allocate_statement(status, &database_, &statement.Get());
  if (Failed(status)) return Failure(status);
  OutputArea output(8);
  api_.dsql_prepare(status, &main_, &statement.Get(), 0, text.c_str(), dialect, output.sqlda.get());
  if (Failed(status)) return Failure(status);

  const char item = isc_info_sql_stmt_type;
  std::array<char, 16> info{};
  api_.dsql_sql_info(status, &statement.Get(), 1, &item, static_cast<short>(info.size()),
                     info.data());
  if (Failed(status)) return Failure(status);
  const int type =
      info[0] == isc_info_sql_stmt_type ? LittleEndian(&info[3], LittleEndian(&info[1], 2)) : 0;

  // Executed as prepared: the text may be one that cannot go at once.
  if (type == isc_info_sql_stmt_ddl && ddlApart) {
    return Apart([&](ISC_STATUS* apart, isc_tr_handle* own) {
      api_.dsql_execute(apart, own, &statement.Get(), dialect, nullptr);
    });
  }
  if (type == isc_info_sql_stmt_start_trans) {
    if (Outcome committed = Commit(); !committed.ok) return committed;
    api_.dsql_execute_immediate(status, &database_, &main_, 0, text.c_str(), dialect, nullptr);
    return Failed(status) ? Failure(status) : Outcome{};
  }
  if (output.sqlda->sqld > output.sqlda->sqln) {
    output.Resize(output.sqlda->sqld);
    api_.dsql_describe(status, &statement.Get(), dialect, output.sqlda.get());
    if (Failed(status)) return Failure(status);
  }
  output.Bind();
  if (type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd)
    return RunSelect(statement.Get(), output);
  if (output.sqlda->sqld > 0)
    api_.dsql_execute2(status, &main_, &statement.Get(), dialect, nullptr, output.sqlda.get());
  else
    api_.dsql_execute(status, &main_, &statement.Get(), dialect, nullptr);
  return Failed(status) ? Failure(status) : Outcome{};
}

// The rows are fetched to the end, for a selectable procedure does its work
// only as they are fetched; they are not shown.
Outcome Attachment::RunSelect(isc_stmt_handle& statement, OutputArea& output) {
  const auto dialect = static_cast<unsigned short>(params_.dialect);
  ISC_STATUS_ARRAY status{};
  api_.dsql_execute(status, &main_, &statement, dialect, nullptr);
  if (Failed(status)) return Failure(status);
  ISC_STATUS fetched = 0;
  while ((fetched = api_.dsql_fetch(status, &statement, dialect, output.sqlda.get())) == 0) {
  }
  return fetched == 100 ? Outcome{} : Failure(status);
}

Outcome Attachment::Commit() {
  if (!main_) return {};
  ISC_STATUS_ARRAY status{};
  api_.commit_transaction(status, &main_);
  if (!Failed(status)) return {};
  Outcome failure = Failure(status);
  Rollback();
  return failure;
}

Outcome Attachment::CommitRetaining() {
  if (!main_) return {};
  ISC_STATUS_ARRAY status{};
  api_.commit_retaining(status, &main_);
  return Failed(status) ? Failure(status) : Outcome{};
}

Outcome Attachment::Rollback() {
  if (!main_) return {};
  ISC_STATUS_ARRAY status{};
  api_.rollback_transaction(status, &main_);
  // A transaction that cannot even be rolled back is given up.
  main_ = 0;
  return Failed(status) ? Failure(status) : Outcome{};
}

Outcome Attachment::RollbackRetaining() {
  if (!main_) return {};
  ISC_STATUS_ARRAY status{};
  api_.rollback_retaining(status, &main_);
  return Failed(status) ? Failure(status) : Outcome{};
}

}  // namespace ibescript
