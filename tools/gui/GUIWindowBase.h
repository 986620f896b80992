#pragma once
// GUIWindowBase: a window built from the window description files. The tool manager's document node
// holds the top element of every window file; a window is the top element whose "name" is the window's
// name, and every element below it is a control of the type its element name gives ("window",
// "button", "check_box", "edit_box", "slider", "scroll", "text_label"; "fader" elements are skipped).
// A control's attributes come from its template chain: its own element, then the element its
// "template" names (and that one's templates), then the same for the element of that name in the
// parent's further chain nodes; the first node that has an attribute gives it. Controls with a
// "language" other than the tool manager's are left out with their subtrees.
//
// Controls are named by their full path ("window_main_menu/window/start") and kept in creation order
// (depth first, a parent before its children) in one owning list and one typed list each. The window
// shows and hides them together (each plays its own show or hide), and its container element hides once
// no enabled control is visible any more.
//
// Main thread only. The engine, data keeper and tool manager are borrowed; the window owns its controls
// and its container. Failures in the files end the program through MessageManager::Abort (FatalError):
// an unknown control type, an unknown fader, a child element without "name", an unknown window or
// control name, and a template chain that leads back into itself. Look-ups of unknown names log an
// error and give null.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/gui/ControlDescription.h"

namespace CorvantisEngine {
class Engine;
class MessageManager;
class FileManager;
class ModelManager;
class GUIManager;
class GUIWindow;
class GUIButton;
class GUICheckBox;
class GUIEditBox;
class GUIScroll;
}  // namespace CorvantisEngine

namespace GameTools {
class DataKeeper;
class XMLNode;
class XMLValue;
}  // namespace GameTools

namespace GUITools {

class GUIToolManager;
class GUIFontTool;
class GUITextTool;
class GUIControl;
class GUIWindowControl;
class GUIButtonControl;
class GUICheckBoxControl;
class GUIEditBoxControl;
class GUISliderControl;
class GUIScrollControl;
class GUITextControl;

class GUIWindowBase {
 public:
  // The nodes an attribute is looked up in, first match wins.
  using TemplateChain = std::vector<GameTools::XMLNode*>;

  // Deeper nesting of controls than this is taken for a control that contains itself.
  static constexpr std::uint32_t kMaxDepth = 256;

  GUIWindowBase(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper,
                GUIToolManager* toolManager, CorvantisEngine::GUIWindow* parent,
                const std::string& windowName);
  GUIWindowBase(const GUIWindowBase&) = delete;
  GUIWindowBase& operator=(const GUIWindowBase&) = delete;
  virtual ~GUIWindowBase();

  virtual void Update();
  virtual void SetVisible(bool show);
  virtual bool IsVisible() const;

  GUIControl* GetControl(const std::string& fullName) const;
  GUIWindowControl* GetWindowControl(const std::string& fullName) const;
  GUIButtonControl* GetButtonControl(const std::string& fullName) const;
  GUICheckBoxControl* GetCheckBoxControl(const std::string& fullName) const;
  GUIEditBoxControl* GetEditBoxControl(const std::string& fullName) const;
  GUIScrollControl* GetScrollControl(const std::string& fullName) const;
  GUITextControl* GetTextControl(const std::string& fullName) const;

  CorvantisEngine::GUIWindow* GetWindow(const std::string& fullName) const;
  CorvantisEngine::GUIButton* GetButton(const std::string& fullName) const;
  CorvantisEngine::GUICheckBox* GetCheckBox(const std::string& fullName) const;
  CorvantisEngine::GUIEditBox* GetEditBox(const std::string& fullName) const;
  CorvantisEngine::GUIScroll* GetScroll(const std::string& fullName) const;

  bool HasWindowControl(const std::string& fullName) const;
  bool HasCheckBoxControl(const std::string& fullName) const;
  bool HasTextControl(const std::string& fullName) const;

  // Disabling hides the control at once and keeps it out of later shows; enabling lets the next show
  // of the window show it again. An unknown name is logged.
  void EnableControl(const std::string& fullName, bool enable);
  void EnableControlObject(GUIControl* control, bool enable);
  bool IsControlEnabled(const std::string& fullName) const;

  // The chain of the element called `name` among the children of each root, each followed by its
  // templates (resolved among the document's top elements).
  TemplateChain ResolveTemplates(const std::vector<GameTools::XMLNode*>& roots,
                                 const std::string& name) const;
  static GameTools::XMLValue* FindAttribute(const TemplateChain& chain, const char* attribute);

  const std::string& GetName() const { return windowName; }
  CorvantisEngine::GUIWindow* GetContainer() const { return container; }
  const std::vector<GUIControl*>& GetControls() const { return controls; }

 protected:
  CorvantisEngine::Engine* engine;
  CorvantisEngine::MessageManager* messageManager;
  CorvantisEngine::FileManager* fileManager;
  CorvantisEngine::ModelManager* modelManager;
  CorvantisEngine::GUIManager* guiManager;
  GameTools::DataKeeper* dataKeeper;
  GUIToolManager* toolManager;
  GUIFontTool* fontTool;
  GUITextTool* textTool;
  CorvantisEngine::GUIWindow* container = nullptr;  // owned, destroyed through the GUI manager
  std::string windowName;
  std::vector<GUIControl*> controls;  // owns every control
  std::vector<GUIWindowControl*> windowControls;
  std::vector<GUIButtonControl*> buttonControls;
  std::vector<GUICheckBoxControl*> checkBoxControls;
  std::vector<GUIEditBoxControl*> editBoxControls;
  std::vector<GUISliderControl*> sliderControls;
  std::vector<GUIScrollControl*> scrollControls;
  std::vector<GUITextControl*> textControls;
  std::vector<bool> enabled;  // one per entry of `controls`

 private:
  void ParseWindow();
  void ParseControls(GameTools::XMLNode* document, const std::vector<GameTools::XMLNode*>& roots,
                     const std::string& name, const std::string& prefix, CorvantisEngine::GUIWindow* parent,
                     std::vector<TemplateChain>& building);
  void ResolveInto(const std::vector<GameTools::XMLNode*>& roots, const std::string& name,
                   TemplateChain& chain, std::vector<std::string>& templates) const;
  GUIControl* CreateControl(const std::string& type, const ControlDescription& description,
                            CorvantisEngine::GUIWindow* parent);
  void ReadCommonAttributes(GUIControl& control, const TemplateChain& chain, GameTools::XMLNode* document);
  void ReadTypeAttributes(GUIControl& control, const std::string& type, const TemplateChain& chain);
  void DestroyControls();
  template <typename T>
  T* Find(const std::vector<T*>& list, const std::string& fullName, const char* operation) const;
};

}  // namespace GUITools
