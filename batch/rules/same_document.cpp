// Whether two paths name one document. Apart from the other list rules, which build without the
// system's headers (the fuzz targets compile them natively): the case folding is the system's.
#include "batch/rules/batch_list_rules.h"
#include "files/code_pages.h"

namespace folimar {

bool SameDocument(std::string_view a, std::string_view b)
{
    return SameNameText(a, b);
}

} // namespace folimar
