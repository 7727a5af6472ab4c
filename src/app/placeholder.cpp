// The desktop layer's windows join this library as they are built.
