#pragma once
#include "controls/CommandButton.h"

namespace TervaneControl {

// Where the link button's address is written, below the module folder, and the address
// used while that file is missing or names no web page.
constexpr char kLinkAddressFile[] = "\\cfg\\link.txt";
constexpr char kDefaultLinkAddress[] = "https://www.tervane.example/";

// Opens the user's manual beside the module with the program the user chose for it.
class CManualButton : public CCommandButton {
public:
    explicit CManualButton(IPluginHost& host);
    void OnClicked(size_t index) override;
};

// Opens the maker's web site in the browser. The address is read on every click, so an
// edited file takes effect at once.
class CLinkButton : public CCommandButton {
public:
    explicit CLinkButton(IPluginHost& host);
    void OnClicked(size_t index) override;
};

} // namespace TervaneControl
