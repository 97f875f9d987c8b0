#include "updater/release_fetch.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

TEST(ReleaseFetch, UpdateWithoutADescriptionFetchesOnceAndGoesOnWhenItArrives) {
    ReleaseFetch fetch;
    EXPECT_EQ(fetch.Open(), FetchStep::kFetch);
    EXPECT_EQ(fetch.Open(), FetchStep::kNothing);
    // A press during the fetch waits for it.
    EXPECT_EQ(fetch.UpdatePressed(), FetchStep::kNothing);
    EXPECT_EQ(fetch.Fetched(false), FetchStep::kNothing);
    // The failure was shown: a later description does not start the update unasked.
    EXPECT_EQ(fetch.Open(), FetchStep::kFetch);
    EXPECT_EQ(fetch.Fetched(true), FetchStep::kNothing);
    EXPECT_EQ(fetch.UpdatePressed(), FetchStep::kUpdate);
    EXPECT_EQ(fetch.Open(), FetchStep::kFetch);
    EXPECT_EQ(fetch.Fetched(false), FetchStep::kNothing);
    // Without a description a press fetches again, and the update goes on once it arrives.
    EXPECT_EQ(fetch.UpdatePressed(), FetchStep::kFetch);
    EXPECT_EQ(fetch.UpdatePressed(), FetchStep::kNothing);
    EXPECT_EQ(fetch.Fetched(true), FetchStep::kUpdate);
}

}  // namespace
}  // namespace tf
