// Base class of every node a plug-in defines. The host creates a node through
// its type's creator, calls postConstructor once, then compute whenever a
// dirty output is requested.
#pragma once

#include "MObject.h"
#include "MStatus.h"

class MPlug;
class MDataBlock;

namespace mayahost {
class NodeAccess;
}

class MPxNode {
public:
    enum Type {
        kDependNode = 0,
        kLocatorNode,
        kDeformerNode,
        kManipContainer,
        kSurfaceShape,
        kFieldNode,
        kEmitterNode,
        kSpringNode,
        kIkSolverNode,
        kHardwareShader,
        kHwShaderNode,
        kTransformNode,
        kObjectSet,
        kFluidEmitterNode,
        kImagePlaneNode,
        kParticleAttributeMapperNode,
        kCameraSetNode,
        kConstraintNode,
        kLast
    };

    MPxNode();
    virtual ~MPxNode();
    virtual void postConstructor();
    // Answers a request for `plug`; the base answers kUnknownParameter.
    virtual MStatus compute(const MPlug& plug, MDataBlock& dataBlock);

    // Act on the node type being registered; outside registration they fail.
    static MStatus addAttribute(const MObject& attr);
    static MStatus attributeAffects(const MObject& whenChanges, const MObject& isAffected);

protected:
    // Declares that the node may be evaluated on several threads at once,
    // each thread with its own data block.
    void setMPSafe(bool flag);

private:
    friend class mayahost::NodeAccess;
    bool mpSafe_;
};
