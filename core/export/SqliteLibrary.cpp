// The SQLite library is loaded when the first database is written, not when a program starts:
// every start of the desktop program and of the command line paid for its loading and binding
// (about 1.8 million instructions, as much as a small command's parse). The functions the
// database writer calls are defined here under their own names and forward to the library's.
#include <dlfcn.h>
#include <sqlite3.h>

#include <string>

#include "core/table/Error.h"

namespace {

struct SqliteFunctions {
  decltype(&::sqlite3_open_v2) openV2 = nullptr;
  decltype(&::sqlite3_close) close = nullptr;
  decltype(&::sqlite3_errmsg) errmsg = nullptr;
  decltype(&::sqlite3_exec) exec = nullptr;
  decltype(&::sqlite3_prepare_v2) prepareV2 = nullptr;
  decltype(&::sqlite3_step) step = nullptr;
  decltype(&::sqlite3_reset) reset = nullptr;
  decltype(&::sqlite3_finalize) finalize = nullptr;
  decltype(&::sqlite3_bind_text) bindText = nullptr;
  decltype(&::sqlite3_bind_int64) bindInt64 = nullptr;
  decltype(&::sqlite3_bind_double) bindDouble = nullptr;
  decltype(&::sqlite3_bind_null) bindNull = nullptr;
  decltype(&::sqlite3_serialize) serialize = nullptr;
  decltype(&::sqlite3_free) free = nullptr;
  std::string failure;
};

template <typename Function>
void bind(void* library, const char* name, Function& function, std::string& failure) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  if (function == nullptr && failure.empty()) failure = std::string(name) + " is missing";
}

SqliteFunctions loadFunctions() {
  SqliteFunctions f;
  void* library = ::dlopen(OSTRILO_SQLITE_SONAME, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = ::dlerror();
    f.failure = why != nullptr ? why : "it cannot be loaded";
    return f;
  }
  bind(library, "sqlite3_open_v2", f.openV2, f.failure);
  bind(library, "sqlite3_close", f.close, f.failure);
  bind(library, "sqlite3_errmsg", f.errmsg, f.failure);
  bind(library, "sqlite3_exec", f.exec, f.failure);
  bind(library, "sqlite3_prepare_v2", f.prepareV2, f.failure);
  bind(library, "sqlite3_step", f.step, f.failure);
  bind(library, "sqlite3_reset", f.reset, f.failure);
  bind(library, "sqlite3_finalize", f.finalize, f.failure);
  bind(library, "sqlite3_bind_text", f.bindText, f.failure);
  bind(library, "sqlite3_bind_int64", f.bindInt64, f.failure);
  bind(library, "sqlite3_bind_double", f.bindDouble, f.failure);
  bind(library, "sqlite3_bind_null", f.bindNull, f.failure);
  bind(library, "sqlite3_serialize", f.serialize, f.failure);
  bind(library, "sqlite3_free", f.free, f.failure);
  return f;
}

const SqliteFunctions& functions() {
  static const SqliteFunctions loaded = loadFunctions();
  return loaded;
}

}  // namespace

// Every database starts here, so only this one reports a library that cannot be had; the others
// run on a database it opened.
int sqlite3_open_v2(const char* filename, sqlite3** db, int flags, const char* vfs) {
  const SqliteFunctions& f = functions();
  if (!f.failure.empty()) {
    throw ostrilo::Error(
        ostrilo::ErrorKind::Io,
        "Cannot write SQLite databases: " OSTRILO_SQLITE_SONAME " cannot be used: " + f.failure);
  }
  return f.openV2(filename, db, flags, vfs);
}

int sqlite3_close(sqlite3* db) { return functions().close(db); }

const char* sqlite3_errmsg(sqlite3* db) { return functions().errmsg(db); }

int sqlite3_exec(sqlite3* db, const char* sql, int (*callback)(void*, int, char**, char**),
                 void* argument, char** errmsg) {
  return functions().exec(db, sql, callback, argument, errmsg);
}

int sqlite3_prepare_v2(sqlite3* db, const char* sql, int bytes, sqlite3_stmt** statement,
                       const char** tail) {
  return functions().prepareV2(db, sql, bytes, statement, tail);
}

int sqlite3_step(sqlite3_stmt* statement) { return functions().step(statement); }

int sqlite3_reset(sqlite3_stmt* statement) { return functions().reset(statement); }

int sqlite3_finalize(sqlite3_stmt* statement) { return functions().finalize(statement); }

int sqlite3_bind_text(sqlite3_stmt* statement, int index, const char* text, int bytes,
                      void (*destructor)(void*)) {
  return functions().bindText(statement, index, text, bytes, destructor);
}

int sqlite3_bind_int64(sqlite3_stmt* statement, int index, sqlite3_int64 value) {
  return functions().bindInt64(statement, index, value);
}

int sqlite3_bind_double(sqlite3_stmt* statement, int index, double value) {
  return functions().bindDouble(statement, index, value);
}

int sqlite3_bind_null(sqlite3_stmt* statement, int index) {
  return functions().bindNull(statement, index);
}

unsigned char* sqlite3_serialize(sqlite3* db, const char* schema, sqlite3_int64* size,
                                 unsigned int flags) {
  return functions().serialize(db, schema, size, flags);
}

void sqlite3_free(void* memory) { functions().free(memory); }
