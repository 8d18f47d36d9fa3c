label[1]: goto label[1];
}
