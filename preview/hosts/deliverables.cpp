// The paths come from the build, which puts the deliverables there.
#include "deliverables.h"

namespace preview {

DeliverablePaths builtDeliverables()
{
    return {GLOSSY_MODULE_PATH, KOVA_GLOSSY_LIBRARY_PATH, KOVA_GLOSSY_DECLARATION_PATH, GLOSSY_PRESET_FOLDER};
}

}  // namespace preview
