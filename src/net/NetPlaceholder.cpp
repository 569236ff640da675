// Stands in until the network subsystem has sources of its own.
