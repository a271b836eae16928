// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Move-only owners of SQLite's C handles, used by the settings store only. Each is made from
// the raw handle on the line that creates it; the destructors release and never throw.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string_view>

struct TSqliteClose {
    // sqlite3_close_v2 defers the close while statements are alive, so the order in which
    // owners die does not matter.
    void operator()(sqlite3 *db) const noexcept { sqlite3_close_v2(db); }
};
using TSqliteHandle = std::unique_ptr<sqlite3, TSqliteClose>;

class TSqliteStatement {
public:
    TSqliteStatement() = default;
    explicit TSqliteStatement(sqlite3_stmt *statement) : statement_(statement) {}
    ~TSqliteStatement() { sqlite3_finalize(statement_); }
    TSqliteStatement(TSqliteStatement &&other) noexcept
        : statement_(other.statement_), bindError_(other.bindError_) {
        other.statement_ = nullptr;
        other.bindError_ = SQLITE_OK;
    }
    TSqliteStatement &operator=(TSqliteStatement &&other) noexcept {
        if (this != &other) {
            sqlite3_finalize(statement_);
            statement_ = other.statement_;
            bindError_ = other.bindError_;
            other.statement_ = nullptr;
            other.bindError_ = SQLITE_OK;
        }
        return *this;
    }
    TSqliteStatement(const TSqliteStatement &) = delete;
    TSqliteStatement &operator=(const TSqliteStatement &) = delete;

    sqlite3_stmt *Get() const { return statement_; }

    // Parameters are numbered from 1; texts and blobs are copied by SQLite. A bind that
    // fails (a value too big, for instance) is remembered, and Step answers its code instead
    // of running the statement with that parameter left NULL.
    void BindText(int index, std::string_view text) {
        Note(sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8));
    }
    void BindInt64(int index, int64_t value) { Note(sqlite3_bind_int64(statement_, index, value)); }
    // A zero-length blob stays a blob (never NULL).
    void BindBlob(int index, const void *data, std::size_t size) {
        static const unsigned char empty = 0;
        Note(sqlite3_bind_blob64(statement_, index, size ? data : &empty, size, SQLITE_TRANSIENT));
    }

    // SQLITE_ROW, SQLITE_DONE or an error code (the first failed bind's, if any).
    int Step() { return bindError_ != SQLITE_OK ? bindError_ : sqlite3_step(statement_); }
    // Resets the statement for another run with new bindings.
    void Reset() {
        sqlite3_reset(statement_);
        bindError_ = SQLITE_OK;
    }

    int64_t ColumnInt64(int column) const { return sqlite3_column_int64(statement_, column); }
    std::string_view ColumnText(int column) const {
        const auto *text = sqlite3_column_text(statement_, column);
        const int size = sqlite3_column_bytes(statement_, column);
        return text ? std::string_view(reinterpret_cast<const char *>(text), std::size_t(size))
                    : std::string_view();
    }
    const uint8_t *ColumnBlob(int column, std::size_t &size) const {
        const auto *data = static_cast<const uint8_t *>(sqlite3_column_blob(statement_, column));
        size = std::size_t(sqlite3_column_bytes(statement_, column));
        return data;
    }

private:
    void Note(int rc) {
        if (rc != SQLITE_OK && bindError_ == SQLITE_OK) bindError_ = rc;
    }

    sqlite3_stmt *statement_ = nullptr;
    int bindError_ = SQLITE_OK;
};
