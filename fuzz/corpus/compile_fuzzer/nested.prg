if(var[0]==1){if(var[1]!=2){var[2]=3;}else{if(1<2){};};}else{var[3]=ReadInt16Register(1,2,3,4,5);};
if (var[5] $>= var[6]) { };
