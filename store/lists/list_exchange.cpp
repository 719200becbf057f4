#include "store/lists/list_exchange.h"

#include "store/lists/find_matches.h"

namespace velunar {

void FillMatching(CViewList& view, const CMasterList& master, const CQueryMatcher& matcher) {
  view.SetItems(MatchingItems(master.Items(), *master.Texts(), matcher));
}

void RebuildMaster(CMasterList& master, const CViewList& view) { master.SetItems(view.Items()); }

}  // namespace velunar
