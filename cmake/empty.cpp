// Placeholder translation unit: keeps a library target non-empty.
