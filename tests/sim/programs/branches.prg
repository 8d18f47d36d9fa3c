# if/else both ways: var[40] chooses.
if (var[40]==1) {
  var[41]=11;
} else {
  var[41]=22;
};

# Nested ifs: var[42] and var[43] choose one of four.
if (var[42]>0) {
  if (var[43]>0) { var[44]=1; } else { var[44]=2; };
} else {
  if (var[43]>0) { var[44]=3; } else { var[44]=4; };
};

# A goto jumps over an assignment when var[45] is 1.
var[46]=1;
if (var[45]==1) {
  goto label[5];
};
var[46]=2;
label[5]:

# A goto at the top level, an if without else, and an empty block.
goto label[6];
var[47]=99;
label[6]:
if (var[48]$<0) { var[49]=var[49]+1; };
if (var[48]==0) { };
var[50]=var[50]+1;
