if (var[0]>=100) { var[1]=1; } else { var[1]=0; };
