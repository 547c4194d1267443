#pragma once

#include <functional>

class QWidget;
class ScreenController;
class ScreenView;

// Creates the view of a screen by its screen number. Each view registers a creator for its
// number (see ViewCatalog); a screen without one gets a plain view showing its title.
namespace ViewFactory {
using Creator = std::function<ScreenView *(ScreenController *controller)>;

void registerView(int screenNumber, Creator creator);
bool hasView(int screenNumber);
ScreenView *create(ScreenController *controller);

// Registers a view class whose constructor takes its controller class.
template <typename View, typename Controller>
void registerViewClass(int screenNumber)
{
    registerView(screenNumber, [](ScreenController *controller) -> ScreenView * {
        return new View(static_cast<Controller *>(controller));
    });
}
}
