#include "tools/gui/GUIToolManager.h"

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileManager.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"
#include "tools/gui/GUIFontTool.h"
#include "tools/gui/GUITextTool.h"

namespace GUITools {

using namespace CorvantisEngine;
using GameTools::XMLNode;

GUIToolManager::GUIToolManager(Engine* engine, const std::string& language)
    : engine_(engine),
      log_(engine->GetMessageManager()),
      fileManager_(engine->GetFileManager()),
      language_(language),
      fontTool_(std::make_unique<GUIFontTool>(engine, language)),
      textTool_(std::make_unique<GUITextTool>(engine, language)),
      document_(std::make_unique<XMLNode>()) {
  std::vector<std::string> files;
  fileManager_->ListFiles(kWindowFolder, "*.xml", files);
  GameTools::XMLParser parser(fileManager_);
  for (const std::string& file : files) {
    XMLNode* root = nullptr;
    try {
      parser.ParseText(root, file);
    } catch (const FileError& error) {
      log_->Error(error.GetMessage());
      continue;
    }
    windowFileNames_.push_back(StringToLowerCopy(FileManager::GetFileName(file)));
    windowRoots_.push_back(root);
    document_->AddChild(root);
  }
}

// The font tool, the text tool, then the document with every window tree.
GUIToolManager::~GUIToolManager() {
  fontTool_.reset();
  textTool_.reset();
  document_.reset();
}

}  // namespace GUITools
