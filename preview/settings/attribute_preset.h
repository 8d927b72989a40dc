// Maya attribute presets of the `glossy` node: the .mel files the Attribute
// Editor's Presets menu saves and applies, read into material settings.
//
//   startAttrPreset( "glossy" );
//   blendAttr "roughness" 0.1;
//   blendAttr "specularColor" 1 0.8 0.5;
//   endAttrPreset();
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "declared_inputs.h"
#include "usage_error.h"

namespace preview {

// The settings of a preset's text, in its order; sourceName names the text in
// errors. Every attribute must be one of the node's inputs (as the node type
// registered them), once, with as many numbers as it holds; a colour may
// instead be given by its three channel attributes (colorR, colorG, colorB),
// all of them. Lines are `//` comments, blank, or one statement each. Throws
// UsageError, its what() "FILE:LINE: expected ..., found ...".
std::vector<MaterialSetting> parseAttributePreset(std::string_view text, const std::string& sourceName,
                                                  const std::vector<DeclaredInput>& nodeInputs);

// The same for a file (read by readTextFile). Throws UsageError.
std::vector<MaterialSetting> readAttributePreset(const std::string& path, const std::vector<DeclaredInput>& nodeInputs);

}  // namespace preview
