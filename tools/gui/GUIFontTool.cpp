#include "tools/gui/GUIFontTool.h"

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIFontManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/resources/ShaderManager.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"
#include "tools/game/XMLQueries.h"

namespace GUITools {

using namespace CorvantisEngine;
using GameTools::XMLNode;
using GameTools::XMLValue;

namespace {

const char* const kBasicFonts = "data\\ui\\fonts\\fonts_basic.xml";
const char* const kAdditionalFonts = "data\\ui\\fonts\\fonts_additional.xml";

}  // namespace

GUIFontTool::GUIFontTool(Engine* engine, const std::string& language)
    : engine_(engine),
      log_(engine->GetMessageManager()),
      fileManager_(engine->GetFileManager()),
      guiManager_(engine->GetGUIManager()),
      fontManager_(engine->GetGUIManager()->GetFontManager()),
      language_(language) {
  LoadFonts(kBasicFonts);
}

GUIFontTool::~GUIFontTool() {
  for (const std::uint32_t id : createdIds_) {
    fontManager_->DestroyFont(id);
  }
}

void GUIFontTool::LoadAdditionalFonts() {
  LoadFonts(kAdditionalFonts);
}

// A list is a top element "fonts" with one child element (of any name) per font:
//   <fonts>
//     <title name="title" size="24" monospace="0" case="upper">
//       <description_file_path path="ui\fonts\en\title.fnt"/>
//       <diffuse_image_path path="ui\fonts\en\title.tga"/>
//       <opacity_image_path path="32bit"/>
//       <properties space="0.4" shift="0.05"/>
//       <ru size="22"><description_file_path path="ui\fonts\ru\title.fnt"/></ru>
//     </title>
//   </fonts>
void GUIFontTool::LoadFonts(const std::string& fileName) {
  XMLNode document;
  try {
    GameTools::XMLParser parser(fileManager_);
    parser.Parse(&document, fileName);
  } catch (const FileError& error) {
    // What was read before the fault is still used.
    log_->Error(error.GetMessage());
  }
  XMLNode* fonts = document.FindChild("fonts");
  if (fonts == nullptr) {
    return;
  }
  const std::string prefix = "(GUIFontTool::GUIFontTool): font with \"";
  std::uint32_t index = 0;
  for (XMLNode* font : fonts->GetChildList()) {
    const std::uint32_t position = index++;
    bool complete = true;
    const XMLValue* nameValue = font->GetAttribute("name");
    const std::string name = nameValue != nullptr ? nameValue->GetString() : std::string();
    if (nameValue == nullptr) {
      log_->Error(prefix + UIntToString(position) + "\" index have not name");
      complete = false;
    }
    const XMLValue* size = GameTools::XMLSelectAttribute(font, language_, "size");
    if (size == nullptr) {
      size = GameTools::XMLSelectAttribute(font, "", "size");
    }
    if (size == nullptr) {
      log_->Error(prefix + name + "\" name have not size");
      complete = false;
    }
    // The files: the language's element first, then the font's own.
    auto requirePath = [&](const char* element, const char* missing) -> const XMLValue* {
      const XMLValue* value = GameTools::XMLSelectAttribute(font, language_ + "/" + element, "path");
      if (value == nullptr) {
        value = GameTools::XMLSelectAttribute(font, element, "path");
      }
      if (value == nullptr) {
        log_->Error(prefix + name + "\" name have not " + missing);
        complete = false;
      }
      return value;
    };
    const XMLValue* description = requirePath("description_file_path", "description file");
    const XMLValue* diffuse = requirePath("diffuse_image_path", "diffuse image");
    const XMLValue* opacity = requirePath("opacity_image_path", "opacity image");
    if (!complete) {
      continue;
    }

    const ShaderDescriptor material =
        CreateAnimatedTextureShader(1, 1, diffuse->GetString(), opacity->GetString(), true);
    const std::uint32_t id = nextFontId_++;
    GUIFont* created = fontManager_->CreateFont(id, &material, description->GetString());
    createdIds_.push_back(id);
    fontIds_.emplace(name, id);
    if (created == nullptr) {
      continue;
    }
    created->size = size->GetFloat();
    if (const XMLValue* monospace = font->GetAttribute("monospace");
        monospace != nullptr && monospace->GetBool()) {
      created->monospace = 1;
    }
    if (const XMLValue* letterCase = font->GetAttribute("case")) {
      if (letterCase->GetString() == "lower") {
        created->FillLowerCase();
      } else if (letterCase->GetString() == "upper") {
        created->FillUpperCase();
      }
    }
    // The font's own properties first, then the language's, which therefore win.
    for (const XMLNode* properties :
         {font->FindChild("properties"), GameTools::XMLSelectNode(font, language_ + "/properties")}) {
      if (properties == nullptr) {
        continue;
      }
      if (const XMLValue* space = properties->GetAttribute("space")) {
        created->spaceFactor = space->GetFloat();
      }
      if (const XMLValue* shift = properties->GetAttribute("shift")) {
        created->shiftFactor = shift->GetFloat();
      }
    }
  }
}

std::int32_t GUIFontTool::GetFontIndex(const std::string& name) const {
  const auto found = fontIds_.find(name);
  return found != fontIds_.end() ? static_cast<std::int32_t>(found->second) : -1;
}

GUIFont* GUIFontTool::GetFont(const std::string& name) const {
  const auto found = fontIds_.find(name);
  return found != fontIds_.end() ? fontManager_->FindFont(found->second) : nullptr;
}

}  // namespace GUITools
