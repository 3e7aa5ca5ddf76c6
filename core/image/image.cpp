#include <wx/image.h>
