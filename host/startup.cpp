// The device's input-panel host as it starts: the current input method from the registry, or the
// device's own when that one cannot serve.
#include "host.h"

// Why the input method DefaultIm names cannot be the current one; "" when it can, with its class.
static std::string unusable(CLSID *clsid)
{
    std::string text, error;
    if (!registryText(HKEY_CURRENT_USER, "ControlPanel\\Sip", "DefaultIm", &text, &error))
        return error;
    if (!clsidFromText(text.c_str(), clsid))
        return "DefaultIm \"" + text + "\" is not a class identifier";
    std::string mark;
    if (!registryText(HKEY_CLASSES_ROOT, "CLSID\\" + textOfClsid(*clsid) + "\\IsSIPInputMethod", "", &mark, &error) ||
        mark != "1")
        return "DefaultIm names " + text + ", which is no registered input method";
    return "";
}

HRESULT InputPanelHost::startCurrentInputMethod(const std::string &ownPath, REFCLSID ownClsid)
{
    log_.clear();
    CLSID clsid;
    std::string why = unusable(&clsid);
    if (why.empty()) {
        HRESULT hr = loadClass(clsid);
        if (SUCCEEDED(hr))
            hr = activate();
        if (SUCCEEDED(hr)) {
            current_ = textOfClsid(clsid);
            log_.push_back("started the current input method " + current_ + " from " + module_.path());
            return hr;
        }
        why = textOfClsid(clsid) + " does not start: " + (error_.empty() ? "activation failed" : error_);
        if (selected_)
            deactivate();
        release();
        module_.forceUnload();
    }
    log_.push_back(why);
    current_ = textOfClsid(ownClsid);
    log_.push_back("started the device's own input method " + current_);
    HRESULT hr = load(ownPath, ownClsid);
    return SUCCEEDED(hr) ? activate() : hr;
}
