// The open-file dialog's filter list: from the "Name|*.x;*.y|...|" form to a wx wildcard.
#pragma once

#include <string>

namespace veilmark::app {

// Pairs of description and patterns; an empty pattern ends the list, as it ends the list of
// the system file dialog.
std::string FilterToWildcard(const std::string& filter);

}  // namespace veilmark::app
