#pragma once
// A recordset in the manner of the original data-access objects: a current
// record, moves, fields by name as Variants, and for table recordsets an index
// with Seek. Errors are thrown as DbError carrying the Jet error numbers that
// the callers branch on.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/runtime_error.h"
#include "runtime/variant.h"

namespace zelk {

// An engine error: a Jet error number (3008, 3012, 3024, 3031, 3043, 3044,
// 3055, 3078, 3261, 3262, 3265, 3343...), the source and a Dutch description.
class DbError : public RuntimeError {
public:
    DbError(long number, std::string description, std::string source = "DAO.Database")
        : RuntimeError(number, std::move(source), std::move(description)) {}
};

enum RecordsetType : int { dbOpenTable = 1, dbOpenDynaset = 2 };

class Recordset {
public:
    Recordset() : serial_(nextSerial()) {}
    virtual ~Recordset() = default;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Tells recordsets apart for as long as the program runs, also when one
    // takes the memory of a closed one.
    std::uint64_t serial() const { return serial_; }

    virtual bool Eof() const = 0;  // EOF: past the last record (or no records)
    virtual bool Bof() const = 0;  // BOF: before the first record (or no records)
    virtual void MoveFirst() = 0;
    virtual void MoveLast() = 0;
    virtual void MoveNext() = 0;      // error 3021 when already at EOF
    virtual void MovePrevious() = 0;  // error 3021 when already at BOF
    virtual long RecordCount() const = 0;

    // Value of a field of the current record, by name without regard to case;
    // a doubled column of a join is named Table.Column. Error 3265 when the
    // field does not exist, 3021 when there is no current record.
    Variant Field(const std::string& name) const { return fieldAt(fieldIndex(name)); }
    virtual std::vector<std::string> fieldNames() const = 0;
    // The position of a field, resolved once by callers that read it on
    // every record (3265 when there is none), and its value by position.
    virtual std::size_t fieldIndex(const std::string& name) const = 0;
    virtual Variant fieldAt(std::size_t index) const = 0;

    // Table recordsets only (error 3251 otherwise).
    virtual void SetIndex(const std::string& indexName) = 0;  // 3800 when the index does not exist
    // Seek ">=" on a prefix of the index's columns; NoMatch() tells the outcome.
    virtual void Seek(const std::string& comparison, const std::vector<Variant>& keys) = 0;
    virtual bool NoMatch() const = 0;
    // After a Seek: on to the next record while it may still be on the key
    // sought, as the index compares keys. False when there is none, the
    // recordset then staying on its record. A recordset that cannot tell
    // moves on to any next record: callers compare the key themselves.
    virtual bool MoveNextOnKey() {
        MoveNext();
        if (!Eof()) return true;
        MovePrevious();
        return false;
    }

    virtual void Close() = 0;

private:
    static std::uint64_t nextSerial() {
        static std::atomic<std::uint64_t> next{0};
        return ++next;
    }
    std::uint64_t serial_;
};

}  // namespace zelk
