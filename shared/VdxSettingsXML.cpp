#include "shared/VdxSettingsXML.h"

#include "shared/VdxNumberText.h"
#include "shared/VdxMisc.h"
#include "shared/VdxXmlDoc.h"

#include <optional>
#include <string_view>

namespace vdx {

namespace {

// Reads the settings below element "Settings"; a missing element
// gives the setting's default, as does an integer or Boolean that does not
// convert.
class SettingsReader {
public:
    explicit SettingsReader(const XmlNode& settings) : m_settings(settings) {}

    std::optional<std::string> Text(std::string_view name) const {
        const XmlNode* element = m_settings.FindChild(name);
        if (!element)
            return std::nullopt;
        return std::string(Trim(element->Text));
    }
    std::string String(std::string_view name, const std::string& fallback) const {
        return Text(name).value_or(fallback);
    }
    int Integer(std::string_view name, int fallback) const {
        const auto text = Text(name);
        return text ? TextToInt(*text).value_or(fallback) : fallback;
    }
    bool Boolean(std::string_view name, bool fallback) const {
        const auto text = Text(name);
        return text ? TextToBool(*text).value_or(fallback) : fallback;
    }

private:
    const XmlNode& m_settings;
};

std::string BoolText(bool value) {
    return value ? "true" : "false";
}

} // namespace

TSettings LoadSettingsXml(const std::string& path, const std::string& baseDir, TSettings settings) {
    settings.Port = 21;
    settings.UseVdxText = false;
    settings.UseVdxInfo = false;
    settings.AdminRootDir = baseDir;

    if (const auto root = LoadXmlFile(path)) {
        if (const XmlNode* element = root->FindChild("Settings")) {
            const SettingsReader read(*element);
            settings.Port = read.Integer("Port", 21);
            settings.UseVdxInfo = read.Boolean("UseVdxInfo", false);
            settings.UseVdxText = read.Boolean("UseVdxText", false);
            settings.AdminRootDir = read.String("AdminRootDir", baseDir);
            settings.UseCustomPortRange = read.Boolean("UseCustomPortRange", false);
            settings.PasvMinPort = read.Integer("PasvMinPort", 0);
            settings.PasvMaxPort = read.Integer("PasvMaxPort", 0);
            settings.UsePasvIP = read.Boolean("UsePasvIP", false);
            settings.PasvIP = read.String("PasvIP", "");
        }
    }

    settings.VdxInfoRoot = baseDir;
    settings.VdxTextRoot = baseDir;
    settings.UsersIniPath = settings.VdxTextRoot + "VdxTxtServer/users/users.ini";
    return settings;
}

void SaveSettingsXml(const std::string& path, const TSettings& settings) {
    XmlElement root("Vardex");
    XmlElement& element = root.AddChild("Settings");
    element.AddChild("Port", std::to_string(settings.Port));
    element.AddChild("UseVdxInfo", BoolText(settings.UseVdxInfo));
    element.AddChild("UseVdxText", BoolText(settings.UseVdxText));
    element.AddChild("AdminRootDir", settings.AdminRootDir);
    element.AddChild("UseCustomPortRange", BoolText(settings.UseCustomPortRange));
    element.AddChild("PasvMinPort", std::to_string(settings.PasvMinPort));
    element.AddChild("PasvMaxPort", std::to_string(settings.PasvMaxPort));
    element.AddChild("UsePasvIP", BoolText(settings.UsePasvIP));
    element.AddChild("PasvIP", settings.PasvIP);
    root.SaveToFile(path);
}

TProductSwitches ReadProductSwitches(const std::string& path) {
    TProductSwitches switches;
    if (const auto root = LoadXmlFile(path)) {
        if (const XmlNode* element = root->FindChild("Settings")) {
            const SettingsReader read(*element);
            switches.UseVdxInfo = read.Boolean("UseVdxInfo", false);
            switches.UseVdxText = read.Boolean("UseVdxText", false);
        }
    }
    return switches;
}

} // namespace vdx
