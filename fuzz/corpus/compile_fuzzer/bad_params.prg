var[0]=StartTimer(1);
