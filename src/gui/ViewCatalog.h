#pragma once

// Registers the view of every screen with the view factory. Called once by the window.
namespace ViewCatalog {
void registerAll();
}
