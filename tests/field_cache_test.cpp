// Fields read on every record are looked up by name once per recordset.

#include <gtest/gtest.h>

#include "database/field_cache.h"
#include "support/checks.h"

using namespace zelk;
using zelk::testing::errorOf;

namespace {

// Two fields; counts the name lookups.
class CountingRecordset : public Recordset {
public:
    mutable int lookups = 0;
    bool Eof() const override { return false; }
    bool Bof() const override { return false; }
    void MoveFirst() override {}
    void MoveLast() override {}
    void MoveNext() override { ++record; }
    void MovePrevious() override {}
    long RecordCount() const override { return 10; }
    std::vector<std::string> fieldNames() const override { return {"A", "B"}; }
    std::size_t fieldIndex(const std::string& name) const override {
        ++lookups;
        if (name == "A") return 0;
        if (name == "B") return 1;
        throw RuntimeError(3265);
    }
    Variant fieldAt(std::size_t index) const override {
        return Variant(static_cast<std::int32_t>(record * 10 + static_cast<int>(index)));
    }
    void SetIndex(const std::string&) override {}
    void Seek(const std::string&, const std::vector<Variant>&) override {}
    bool NoMatch() const override { return false; }
    void Close() override {}
    int record = 0;
};

}  // namespace

TEST(FieldCache, ANameIsLookedUpOncePerRecordset) {
    const FieldCache f({"B", "A", "C"});
    CountingRecordset first, second;
    for (int k = 0; k < 5; ++k, first.MoveNext()) {
        EXPECT_EQ(f(first, 0), Variant(static_cast<std::int32_t>(k * 10 + 1)));
        EXPECT_EQ(f(first, 1), Variant(static_cast<std::int32_t>(k * 10)));
    }
    EXPECT_EQ(first.lookups, 2);
    // Another recordset, perhaps with its fields elsewhere: looked up anew.
    EXPECT_EQ(f(second, 0), Variant(std::int32_t{1}));
    EXPECT_EQ(second.lookups, 1);
    // A missing field fails each time it is asked for, as by name.
    EXPECT_EQ(errorOf([&] { f(second, 2); }), 3265);
    EXPECT_EQ(errorOf([&] { f(second, 2); }), 3265);
}
