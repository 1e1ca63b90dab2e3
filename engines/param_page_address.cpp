// The address of the parameter page, fixed when the executable is built.
#include "engines/param_page.h"

namespace korvan {

const char* const kParamPageUrl = KORVAN_PARAM_PAGE_URL;

}  // namespace korvan
