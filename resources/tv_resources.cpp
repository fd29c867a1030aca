// The asset library holds only Qt resources; this unit gives the static
// library an object of its own so every toolchain accepts it.
namespace tv { int resourcesLinked = 1; }
