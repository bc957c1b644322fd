#pragma once

// Everything needed to build views: the node kinds with their constructors, the environment and the
// palette. Include this where views are written.

#include "platform/ui/Environment.h"
#include "platform/ui/FrameNodes.h"
#include "platform/ui/GeometryReaderNode.h"
#include "platform/ui/ImageNodes.h"
#include "platform/ui/LayerNodes.h"
#include "platform/ui/Node.h"
#include "platform/ui/Palette.h"
#include "platform/ui/ScrollViewNode.h"
#include "platform/ui/ShapeNode.h"
#include "platform/ui/StackNodes.h"
#include "platform/ui/TextNode.h"
