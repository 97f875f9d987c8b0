// The CSV reader and the import plan on any bytes: no crash, the limits hold, what is read is
// written and read back unchanged, and every data row of a known file is in the plan.
#include "base/csv.h"
#include "fuzz_check.h"
#include "records/login_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = tf::fuzz::Bytes(data, size);
    tf::csv::Error error;
    const auto rows = tf::csv::Read(bytes, error);
    if (!rows) {
        FUZZ_CHECK(error.kind != tf::csv::ErrorKind::kNone && !tf::csv::ErrorMessage(error).empty());
        return 0;
    }
    // With the mark in front, as the export writes it: a first field that begins with U+FEFF stays.
    std::string written = tf::csv::kUtf8Mark;
    std::size_t last = 0;
    for (const tf::csv::Row& row : *rows) {
        FUZZ_CHECK(row.number > last && !row.fields.empty() && row.fields.size() <= tf::csv::kMaxFieldsPerRow);
        last = row.number;
        std::vector<std::string_view> fields;
        for (const std::string& field : row.fields) {
            FUZZ_CHECK(field.size() <= tf::csv::kMaxFieldBytes);
            fields.push_back(field);
        }
        tf::csv::AppendRow(written, fields);
    }
    const auto again = tf::csv::Read(written, error);
    FUZZ_CHECK(again && again->size() == rows->size());
    for (std::size_t i = 0; i < rows->size(); ++i) FUZZ_CHECK((*again)[i].fields == (*rows)[i].fields);

    const tf::ImportPlanResult result = tf::PlanImport(bytes, {});
    if (!result.plan) {
        FUZZ_CHECK(!result.error.empty());
        return 0;
    }
    const tf::ImportPlan& plan = *result.plan;
    FUZZ_CHECK(plan.rows.size() + 1 == rows->size());
    FUZZ_CHECK(plan.adds + plan.alreadyThere + plan.updates + plan.cannotImport == plan.rows.size());
    const auto after = tf::ApplyImport({}, plan);
    FUZZ_CHECK(after && after->size() == plan.adds);
    return 0;
}
