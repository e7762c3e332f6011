// The board's database: SQLite or PostgreSQL behind one small interface. Every statement
// is prepared text with numbered parameters ($1, $2, ...); nothing from a request is ever
// spliced into SQL.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace db {

enum class Dialect { Sqlite, Postgres };

struct Param {
    enum Kind { Null, Int, Text, Blob } kind = Null;
    int64_t i = 0;
    std::string s;
};
inline Param Int(int64_t v) {
    return {Param::Int, v, {}};
}
inline Param Text(std::string v) {
    return {Param::Text, 0, std::move(v)};
}
inline Param Blob(std::string v) {
    return {Param::Blob, 0, std::move(v)};
}

// A result as text (integers in decimal, blobs as their bytes); nullopt for NULL.
using Row = std::vector<std::optional<std::string>>;
struct Result {
    std::vector<Row> rows;
    int64_t Int(size_t row, size_t column) const;
    std::string Str(size_t row, size_t column) const;
    bool Null(size_t row, size_t column) const { return !rows[row][column]; }
};

struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Connection {
public:
    virtual ~Connection() = default;
    virtual Dialect dialect() const = 0;
    virtual Result Run(const std::string& sql, const std::vector<Param>& params = {}) = 0;
    // A script of statements without parameters (migrations).
    virtual void Script(const std::string& sql) = 0;
    // A write transaction: SQLite takes its write lock at once, so two writers never
    // deadlock upgrading their locks.
    void Begin();
    void Commit() { Run("COMMIT"); }
    void Rollback();
};

// "sqlite:PATH" or "postgresql://..."; throws Error with the reason.
std::unique_ptr<Connection> Open(const std::string& url);

// A fixed set of connections shared by the threads.
class Pool {
public:
    Pool(const std::string& url, int size);
    class Lease {
    public:
        Lease(Pool* pool, std::unique_ptr<Connection> c) : pool_(pool), c_(std::move(c)) {}
        Lease(Lease&&) = default;
        ~Lease() { Release(); }
        // Gives the connection back before the lease ends.
        void Release();
        Connection* operator->() { return c_.get(); }
        Connection& operator*() { return *c_; }

    private:
        Pool* pool_;
        std::unique_ptr<Connection> c_;
    };
    Lease Take();
    Dialect dialect() const { return dialect_; }

private:
    friend class Lease;
    std::mutex mutex_;
    std::condition_variable returned_;
    std::vector<std::unique_ptr<Connection>> free_;
    Dialect dialect_;
};

// Runs body in a write transaction, rolled back if it throws.
template <typename F>
auto InTransaction(Connection& c, F body) {
    c.Begin();
    try {
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            c.Commit();
        } else {
            auto result = body();
            c.Commit();
            return result;
        }
    } catch (...) {
        c.Rollback();
        throw;
    }
}

}  // namespace db
