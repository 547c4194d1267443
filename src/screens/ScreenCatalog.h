#pragma once

// Registers the factory of every screen class with the screen registry. Called once at
// start by the window and the command line, and by tests that open screens.
namespace ScreenCatalog {
void registerAll();
}
