#include "app/app.h"

wxIMPLEMENT_APP(veilmark::app::CLumicraftApp);
