// Find's item matching: the items of a list that hold the query, found
// through the marks of one pass over the loaded bytes (fast/query_scan.h)
// rather than by asking each item in list order.
#ifndef VELUNAR_STORE_LISTS_FIND_MATCHES_H_
#define VELUNAR_STORE_LISTS_FIND_MATCHES_H_

#include "store/lists/entry_sequence.h"
#include "store/lists/text_pool.h"
#include "store/text/text_rules.h"

namespace velunar {

// The items of `items` that `matcher` matches, in their order. Items whose
// bytes lie in one of the buffers `texts` adopted are looked up in the
// marks of one pass over that buffer; the others (texts typed since the
// load) are asked one by one. REQUIRES: `items` in list order. Throws
// std::bad_alloc.
CEntrySequence MatchingItems(const CEntrySequence& items, const CTextPool& texts,
                             const CQueryMatcher& matcher);

}  // namespace velunar

#endif  // VELUNAR_STORE_LISTS_FIND_MATCHES_H_
