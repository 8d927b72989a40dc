// A second plug-in module for the loading tests: it registers a node type
// named "glossy" of its own (another id), so the real module's registration
// is refused when this one loads first.
#include <maya/MFnPlugin.h>
#include <maya/MPxNode.h>

namespace {

class Rival : public MPxNode {
public:
    static void* creator() { return new Rival; }
    static MStatus initialize() { return MS::kSuccess; }
};

const MTypeId kRivalId(0x7F001);

}  // namespace

PLUGIN_EXPORT MStatus initializePlugin(MObject obj)
{
    MFnPlugin plugin(obj, "tests", "1.0", "Any");
    return plugin.registerNode("glossy", kRivalId, Rival::creator, Rival::initialize);
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj)
{
    MFnPlugin plugin(obj);
    return plugin.deregisterNode(kRivalId);
}
