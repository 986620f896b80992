#include "tools/gui/GUITextTool.h"

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"
#include "tools/game/XMLQueries.h"

namespace GUITools {

using namespace CorvantisEngine;
using GameTools::XMLNode;

GUITextTool::GUITextTool(Engine* engine, const std::string& language)
    : engine_(engine),
      log_(engine->GetMessageManager()),
      fileManager_(engine->GetFileManager()),
      language_(language),
      document_(std::make_unique<XMLNode>()) {
  try {
    GameTools::XMLParser parser(fileManager_);
    for (const char* file : {"data\\ui\\texts\\texts.xml", "data\\ui\\texts\\default_texts.xml"}) {
      parser.Parse(document_->AddNewChild(), file);
    }
  } catch (const FileError& error) {
    log_->Error(error.GetMessage());
  }
  for (const XMLNode* file : document_->GetChildList()) {
    XMLNode* texts = file->FindChild("texts");
    if (texts == nullptr) {
      log_->Error("Incorrect \"text file\" format");
    }
    roots_.push_back(texts);
  }
}

GUITextTool::~GUITextTool() = default;

std::wstring GUITextTool::GetText(const std::string& key) const {
  const std::string path = key + "/" + language_;
  for (XMLNode* root : roots_) {
    const XMLNode* node = GameTools::XMLSelectNode(root, path);
    if (node == nullptr) {
      continue;
    }
    if (const GameTools::XMLValue* text = node->GetAttribute("text")) {
      return text->GetWideString();
    }
  }
  return L"UNKNOWN";
}

}  // namespace GUITools
