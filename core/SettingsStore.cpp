// Implementation arrives with its owner's change.
