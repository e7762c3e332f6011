#include "server/db.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>

namespace db {

int64_t Result::Int(size_t row, size_t column) const {
    const auto& v = rows.at(row).at(column);
    return v ? std::stoll(*v) : 0;
}

std::string Result::Str(size_t row, size_t column) const {
    const auto& v = rows.at(row).at(column);
    return v ? *v : std::string();
}

void Connection::Begin() {
    Run(dialect() == Dialect::Sqlite ? "BEGIN IMMEDIATE" : "BEGIN");
}

void Connection::Rollback() {
    try {
        Run("ROLLBACK");
    } catch (const Error&) {
        // The transaction is gone already (the connection failed): nothing to undo.
    }
}

namespace {

class SqliteConnection : public Connection {
public:
    explicit SqliteConnection(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK) {
            std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw Error("cannot open " + path + ": " + why);
        }
        sqlite3_busy_timeout(db_, 10000);
        // Acknowledged means kept: every commit reaches the disk before the answer.
        Script("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;");
    }
    ~SqliteConnection() override {
        // A statement left unfinalized would keep the connection alive after its close.
        for (auto& [sql, statement] : prepared_) sqlite3_finalize(statement);
        sqlite3_close_v2(db_);
    }
    Dialect dialect() const override { return Dialect::Sqlite; }

    Result Run(const std::string& sql, const std::vector<Param>& params) override {
        // "$1" is a named parameter to SQLite; "?1" is the numbered one.
        std::string text = sql;
        for (size_t i = 0; i + 1 < text.size(); i++) {
            if (text[i] == '$' && std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
                text[i] = '?';
            }
        }
        // Each statement is prepared once a connection and kept.
        sqlite3_stmt*& statement = prepared_[sql];
        if (!statement && sqlite3_prepare_v3(db_, text.c_str(), -1, SQLITE_PREPARE_PERSISTENT,
                                             &statement, nullptr) != SQLITE_OK) {
            prepared_.erase(sql);
            throw Error(std::string("sqlite: ") + sqlite3_errmsg(db_) + " in " + sql);
        }
        struct Done {
            sqlite3_stmt* s;
            ~Done() {
                sqlite3_reset(s);
                sqlite3_clear_bindings(s);
            }
        } done{statement};
        for (size_t i = 0; i < params.size(); i++) {
            const Param& p = params[i];
            int at = static_cast<int>(i + 1);
            switch (p.kind) {
                case Param::Null:
                    sqlite3_bind_null(statement, at);
                    break;
                case Param::Int:
                    sqlite3_bind_int64(statement, at, p.i);
                    break;
                case Param::Text:
                    sqlite3_bind_text(statement, at, p.s.data(), static_cast<int>(p.s.size()),
                                      SQLITE_TRANSIENT);
                    break;
                case Param::Blob:
                    sqlite3_bind_blob(statement, at, p.s.data(), static_cast<int>(p.s.size()),
                                      SQLITE_TRANSIENT);
                    break;
            }
        }
        Result result;
        for (;;) {
            int step = sqlite3_step(statement);
            if (step == SQLITE_DONE) break;
            if (step != SQLITE_ROW) {
                throw Error(std::string("sqlite: ") + sqlite3_errmsg(db_) + " in " + sql);
            }
            int columns = sqlite3_column_count(statement);
            Row row(columns);
            for (int c = 0; c < columns; c++) {
                int type = sqlite3_column_type(statement, c);
                if (type == SQLITE_NULL) continue;
                if (type == SQLITE_INTEGER) {
                    row[c] = std::to_string(sqlite3_column_int64(statement, c));
                } else {
                    const void* bytes = sqlite3_column_blob(statement, c);
                    int n = sqlite3_column_bytes(statement, c);
                    row[c] = bytes ? std::string(static_cast<const char*>(bytes), n) : "";
                }
            }
            result.rows.push_back(std::move(row));
        }
        return result;
    }

    void Script(const std::string& sql) override {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            std::string why = message ? message : "error";
            sqlite3_free(message);
            throw Error("sqlite: " + why);
        }
    }

private:
    sqlite3* db_ = nullptr;
    std::map<std::string, sqlite3_stmt*> prepared_;
};

std::string FromHex(const char* text) {
    // bytea in text form: "\x" and two hex digits a byte.
    auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string out;
    size_t n = std::strlen(text);
    if (n < 2 || text[0] != '\\' || text[1] != 'x') return text;
    out.reserve((n - 2) / 2);
    for (size_t i = 2; i + 1 < n; i += 2) {
        out.push_back(static_cast<char>(digit(text[i]) * 16 + digit(text[i + 1])));
    }
    return out;
}

constexpr Oid BYTEA_OID = 17;

class PostgresConnection : public Connection {
public:
    explicit PostgresConnection(const std::string& url) {
        pg_ = PQconnectdb(url.c_str());
        if (PQstatus(pg_) != CONNECTION_OK) {
            std::string why = PQerrorMessage(pg_);
            PQfinish(pg_);
            throw Error("cannot connect to PostgreSQL: " + why);
        }
        Script("SET client_min_messages = warning; SET TIME ZONE 'UTC'");
    }
    ~PostgresConnection() override { PQfinish(pg_); }
    Dialect dialect() const override { return Dialect::Postgres; }

    Result Run(const std::string& sql, const std::vector<Param>& params) override {
        std::vector<const char*> values(params.size());
        std::vector<int> lengths(params.size());
        std::vector<int> formats(params.size());
        std::vector<std::string> numbers(params.size());
        for (size_t i = 0; i < params.size(); i++) {
            const Param& p = params[i];
            switch (p.kind) {
                case Param::Null:
                    values[i] = nullptr;
                    break;
                case Param::Int:
                    numbers[i] = std::to_string(p.i);
                    values[i] = numbers[i].c_str();
                    break;
                case Param::Text:
                    values[i] = p.s.c_str();
                    break;
                case Param::Blob:
                    values[i] = p.s.data();
                    lengths[i] = static_cast<int>(p.s.size());
                    formats[i] = 1;
                    break;
            }
        }
        // Each statement is prepared once a connection and kept.
        auto known = prepared_.find(sql);
        if (known == prepared_.end()) {
            // Formatted, not concatenated: GCC 12 at -O3 takes "s" + to_string for an overlap.
            char name[24];
            std::snprintf(name, sizeof name, "s%zu", prepared_.size());
            PGresult* p = PQprepare(pg_, name, sql.c_str(), 0, nullptr);
            bool ok = PQresultStatus(p) == PGRES_COMMAND_OK;
            std::string why = PQresultErrorMessage(p);
            PQclear(p);
            if (!ok) {
                Lost();
                throw Error("postgresql: " + why + " in " + sql);
            }
            known = prepared_.emplace(sql, name).first;
        }
        PGresult* r = PQexecPrepared(pg_, known->second.c_str(), static_cast<int>(params.size()),
                                     values.data(), lengths.data(), formats.data(), 0);
        ExecStatusType status = PQresultStatus(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            std::string why = PQresultErrorMessage(r);
            PQclear(r);
            Lost();
            throw Error("postgresql: " + why + " in " + sql);
        }
        Result result;
        int rows = PQntuples(r);
        int columns = PQnfields(r);
        result.rows.reserve(rows);
        for (int y = 0; y < rows; y++) {
            Row row(columns);
            for (int c = 0; c < columns; c++) {
                if (PQgetisnull(r, y, c)) continue;
                const char* v = PQgetvalue(r, y, c);
                row[c] = PQftype(r, c) == BYTEA_OID ? FromHex(v) : std::string(v);
            }
            result.rows.push_back(std::move(row));
        }
        PQclear(r);
        return result;
    }

    void Script(const std::string& sql) override {
        PGresult* r = PQexec(pg_, sql.c_str());
        ExecStatusType status = PQresultStatus(r);
        std::string why = PQresultErrorMessage(r);
        PQclear(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            throw Error("postgresql: " + why);
        }
    }

private:
    // A broken connection is made again, without the statements it had prepared.
    void Lost() {
        if (PQstatus(pg_) != CONNECTION_BAD) return;
        PQreset(pg_);
        prepared_.clear();
        if (PQstatus(pg_) == CONNECTION_OK) Script("SET TIME ZONE 'UTC'");
    }
    PGconn* pg_ = nullptr;
    std::map<std::string, std::string> prepared_;
};

}  // namespace

std::unique_ptr<Connection> Open(const std::string& url) {
    if (url.rfind("sqlite:", 0) == 0) {
        return std::make_unique<SqliteConnection>(url.substr(7));
    }
    if (url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0) {
        return std::make_unique<PostgresConnection>(url);
    }
    throw Error("the database must be sqlite:PATH or postgresql://...: " + url);
}

Pool::Pool(const std::string& url, int size) {
    for (int i = 0; i < size; i++) free_.push_back(Open(url));
    dialect_ = free_.front()->dialect();
}

Pool::Lease Pool::Take() {
    std::unique_lock lock(mutex_);
    returned_.wait(lock, [this] { return !free_.empty(); });
    auto c = std::move(free_.back());
    free_.pop_back();
    return Lease(this, std::move(c));
}

void Pool::Lease::Release() {
    if (!c_) return;
    std::lock_guard lock(pool_->mutex_);
    pool_->free_.push_back(std::move(c_));
    pool_->returned_.notify_one();
}

}  // namespace db
