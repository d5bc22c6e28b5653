#include "3rd/wintoast/toast_xml.h"

#include <memory>
#include <utility>
#include <vector>

namespace WinToastLib {

namespace {

// A small element tree: attributes keep the order in which they were set.
struct Element {
  std::wstring name;
  std::vector<std::pair<std::wstring, std::wstring>> attributes;
  std::wstring text;
  std::vector<std::unique_ptr<Element>> children;

  explicit Element(std::wstring element_name) : name(std::move(element_name)) {}

  Element& set(const std::wstring& key, const std::wstring& value) {
    for (auto& attribute : attributes) {
      if (attribute.first == key) {
        attribute.second = value;
        return *this;
      }
    }
    attributes.emplace_back(key, value);
    return *this;
  }
  Element& add(const std::wstring& child_name) {
    children.push_back(std::make_unique<Element>(child_name));
    return *children.back();
  }
  Element& insertFirst(const std::wstring& child_name) {
    children.insert(children.begin(), std::make_unique<Element>(child_name));
    return *children.front();
  }
  Element* find(const std::wstring& child_name) {
    for (auto& child : children)
      if (child->name == child_name) return child.get();
    return nullptr;
  }
  std::vector<Element*> all(const std::wstring& child_name) {
    std::vector<Element*> found;
    for (auto& child : children)
      if (child->name == child_name) found.push_back(child.get());
    return found;
  }
};

// Markup characters escaped; characters XML cannot carry at all dropped.
void appendEscaped(std::wstring& out, const std::wstring& text, bool attribute) {
  for (wchar_t c : text) {
    switch (c) {
      case L'&': out += L"&amp;"; break;
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      case L'"':
        out += attribute ? L"&quot;" : L"\"";
        break;
      default:
        if (c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r') break;
        out += c;
    }
  }
}

void print(const Element& element, std::wstring& out) {
  out += L'<' + element.name;
  for (const auto& attribute : element.attributes) {
    out += L' ' + attribute.first + L"=\"";
    appendEscaped(out, attribute.second, true);
    out += L'"';
  }
  if (element.text.empty() && element.children.empty()) {
    out += L"/>";
    return;
  }
  out += L'>';
  appendEscaped(out, element.text, false);
  for (const auto& child : element.children) print(*child, out);
  out += L"</" + element.name + L'>';
}

const wchar_t* const kTemplateNames[] = {
    L"ToastImageAndText01", L"ToastImageAndText02", L"ToastImageAndText03", L"ToastImageAndText04",
    L"ToastText01",         L"ToastText02",         L"ToastText03",         L"ToastText04",
};

// The system's template of a kind: an image for the image kinds, then the
// kind's text lines.
std::unique_ptr<Element> systemTemplate(const ToastTemplate& toast) {
  auto root = std::make_unique<Element>(L"toast");
  Element& binding = root->add(L"visual").add(L"binding");
  binding.set(L"template", kTemplateNames[toast.kind()]);
  if (toast.isImageKind()) binding.add(L"image").set(L"id", L"1").set(L"src", L"");
  for (size_t i = 0; i < ToastTemplate::textLinesOf(toast.kind()); ++i)
    binding.add(L"text").set(L"id", std::to_wstring(i + 1));
  return root;
}

Element& actionsOf(Element& root) {
  if (Element* actions = root.find(L"actions")) return *actions;
  // The first action turns the toast into the generic kind that shows buttons.
  root.set(L"template", L"ToastGeneric").set(L"duration", L"long");
  return root.add(L"actions");
}

void addModernParts(const ToastTemplate& toast, Element& root, Element& binding) {
  if (!toast.attributionText().empty()) {
    Element& attribution = binding.add(L"text");
    attribution.set(L"placement", L"attribution");
    attribution.text = toast.attributionText();
  }
  for (size_t j = 0; j < toast.actions().size(); ++j)
    actionsOf(root).add(L"action").set(L"content", toast.actions()[j]).set(L"arguments", std::to_wstring(j));
  if (!toast.audioPath().empty() || toast.audioOption() != ToastTemplate::Default) {
    Element& audio = root.add(L"audio");
    audio.set(L"src", toast.audioPath());
    if (toast.audioOption() == ToastTemplate::Loop) audio.set(L"loop", L"true");
    if (toast.audioOption() == ToastTemplate::Silent) audio.set(L"silent", L"true");
  }
  if (toast.duration() != ToastTemplate::System)
    root.set(L"duration", toast.duration() == ToastTemplate::Short ? L"short" : L"long");
  if (toast.hasInput()) {
    Element& actions = actionsOf(root);
    // Inputs come before the buttons inside "actions".
    actions.insertFirst(L"input").set(L"id", L"textBox").set(L"type", L"text").set(L"placeHolderContent", L"...");
    actions.add(L"action").set(L"content", L"Reply").set(L"arguments", L"action=reply").set(L"hint-inputId", L"textBox");
  }
  root.set(L"scenario", toast.scenario());
}

}  // namespace

bool buildToastXml(const ToastTemplate& toast, const ToastXmlFeatures& features, std::wstring& xml) {
  if (toast.isImageKind() && toast.imagePath().size() >= kMaxImagePath) return false;
  std::unique_ptr<Element> root = systemTemplate(toast);
  Element& binding = *root->find(L"visual")->find(L"binding");

  bool generic = (toast.isImageKind() && !toast.heroImagePath().empty()) ||
                 toast.cropHint() == ToastTemplate::Circle;
  if (generic) binding.set(L"template", L"ToastGeneric");

  std::vector<Element*> lines = binding.all(L"text");
  for (size_t i = 0; i < lines.size() && i < toast.textFields().size(); ++i) lines[i]->text = toast.textFields()[i];

  if (features.modern) addModernParts(toast, *root, binding);

  if (toast.isImageKind()) {
    Element& image = *binding.find(L"image");
    image.set(L"src", L"file:///" + toast.imagePath());
    if (generic) {
      image.set(L"placement", L"appLogoOverride");
      if (toast.cropHint() == ToastTemplate::Circle && features.image_placement) image.set(L"hint-crop", L"circle");
    }
    if (features.image_placement && !toast.heroImagePath().empty()) {
      Element& hero = binding.add(L"image");
      if (!toast.isInlineHeroImage()) hero.set(L"placement", L"hero");
      hero.set(L"src", toast.heroImagePath());
    }
  }
  xml.clear();
  print(*root, xml);
  return true;
}

}  // namespace WinToastLib
