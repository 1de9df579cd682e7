#pragma once

namespace tarvex {

class PanelRegistry;

// Registers the four amplifier panels under their class names.
void registerAmplifierPanels(PanelRegistry& registry);

} // namespace tarvex
